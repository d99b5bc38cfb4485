#include "JobReport.h"

#include "model/TranscodeJob.h"

#include <QJsonArray>

QString JobReport::statusName(JobStatus status) {
    switch (status) {
    case JobStatus::queued:
        return QStringLiteral("queued");
    case JobStatus::converting:
        return QStringLiteral("converting");
    case JobStatus::done:
        return QStringLiteral("done");
    case JobStatus::sentToFCP:
        return QStringLiteral("sentToFCP");
    case JobStatus::failed:
        return QStringLiteral("failed");
    }
    return {};
}

QJsonObject JobReport::toJson(const TranscodeJob &job) {
    QJsonObject o{{QStringLiteral("file"), job.sourcePath()},
                  {QStringLiteral("status"), statusName(job.status())},
                  {QStringLiteral("sourceBytes"), job.sourceSizeBytes()}};
    if (job.hasOutputURL()) {
        o.insert(QStringLiteral("movie"), job.outputURL().toLocalFile());
        o.insert(QStringLiteral("movieBytes"), job.outputSizeBytes());
    }
    if (job.startedAt().isValid() && job.finishedAt().isValid())
        o.insert(QStringLiteral("seconds"), job.startedAt().msecsTo(job.finishedAt()) / 1000.0);
    if (const auto m = job.metadata()) {
        o.insert(QStringLiteral("frameRate"), m->frameRate);
        o.insert(QStringLiteral("width"), m->width);
        o.insert(QStringLiteral("height"), m->height);
        o.insert(QStringLiteral("frames"), m->frameCount);
        o.insert(QStringLiteral("audio"), m->hasAudio);
        if (m->hasExactRate())
            o.insert(QStringLiteral("rate"), QString(QString::number(m->rateNumerator) + u'/' +
                                                     QString::number(m->rateDenominator)));
        if (m->hasTimecode) {
            o.insert(QStringLiteral("timecode"), m->startTimecode);
            o.insert(QStringLiteral("dropFrame"), m->dropFrame);
        }
        if (!m->reelName.isEmpty())
            o.insert(QStringLiteral("reel"), m->reelName);
        QJsonArray tracks;
        for (const AudioTrack &track : m->audioTracks)
            tracks.append(QJsonObject{{QStringLiteral("channels"), track.channels},
                                      {QStringLiteral("sampleRate"), track.sampleRate}});
        o.insert(QStringLiteral("audioTracks"), tracks);
    }
    if (const auto error = job.errorMessage())
        o.insert(QStringLiteral("error"), *error);
    if (job.handOffFailed())
        o.insert(QStringLiteral("handOffFailed"), true);
    return o;
}
