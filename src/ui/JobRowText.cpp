#include "JobRowText.h"

#include "PlatformWords.h"
#include "model/FileName.h"
#include "model/TranscodeJob.h"
#include "platform/ByteCountFormatter.h"

QString JobRowText::name(const TranscodeJob &job) {
    return FileName::baseName(job.sourceURL());
}

QString JobRowText::badgeText(const TranscodeJob &job) {
    switch (job.status()) {
    case JobStatus::queued:
        return tr("waiting");
    case JobStatus::converting:
        if (job.progress() > 0.001)
            return tr("converting %1%").arg(int(job.progress() * 100));
        return tr("starting…");
    case JobStatus::done:
        return tr("✓ done");
    case JobStatus::sentToFCP:
        return tr("✓ in Final Cut");
    case JobStatus::failed:
        return tr("failed");
    }
    return {};
}

QString JobRowText::sizeText(const TranscodeJob &job) {
    const QString source = ByteCountFormatter::fileSize(job.sourceSizeBytes());
    if (job.outputSizeBytes() < 1)
        return source;
    const int saving = TranscodeJob::savingPercent(job.sourceSizeBytes(), job.outputSizeBytes());
    QString text = source + u" \u2192 " + ByteCountFormatter::fileSize(job.outputSizeBytes());
    if (saving >= 1)
        text += u"  " + tr("(%1% smaller)").arg(saving);
    return text;
}

QString JobRowText::noticeText(const TranscodeJob &job) {
    const std::optional<QString> error = job.errorMessage();
    if (!error)
        return {};
    // In the user's language where Tarnel worded it. REDline ends its words
    // with a line break, which would show as an empty last line under the row.
    const auto trimmed = [&] {
        const auto text = job.errorText();
        QString shown = text ? text->shown() : *error;
        qsizetype end = shown.size();
        while (end > 0 && shown.at(end - 1).isSpace())
            --end;
        shown.truncate(end);
        return shown;
    };
    switch (job.status()) {
    case JobStatus::failed:
        return trimmed();
    case JobStatus::done:
    case JobStatus::sentToFCP:
        // The message stays on the job after a later successful hand-off;
        // the flag says whether it still applies.
        return job.handOffFailed() ? trimmed() : QString();
    case JobStatus::queued:
    case JobStatus::converting:
        break;
    }
    return {};
}

QString JobRowText::actionName(JobRowAction action) {
    switch (action) {
    case JobRowAction::remove:
        return tr("Remove from list");
    case JobRowAction::sendToFCP:
        return tr("Send to Final Cut");
    case JobRowAction::reveal:
        return PlatformWords::showInFileManager();
    case JobRowAction::none:
        break;
    }
    return {};
}
