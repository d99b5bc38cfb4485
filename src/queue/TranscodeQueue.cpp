#include "TranscodeQueue.h"

#include "ClipCollector.h"
#include "ClipSearch.h"
#include "model/DebugText.h"
#include "model/FileName.h"
#include "platform/ByteCountFormatter.h"
#include "platform/SoundPlayer.h"
#include "runner/REDlineLocator.h"
#include "settings/UserSettings.h"

#include <QFileInfo>
#include <QPointer>
#include <QSet>

TranscodeQueue::TranscodeQueue(UserSettings &settings, SoundPlayer &sounds, Workspace &workspace,
                               QObject *parent)
    : QObject(parent), m_settings(settings), m_runner(new REDlineRunner(this)),
      m_search(new ClipSearch(this)), m_generator(workspace), m_soundPlayer(&sounds) {
    connect(m_search, &ClipSearch::found, this, &TranscodeQueue::addFound);
    connect(m_search, &ClipSearch::searchingChanged, this, &TranscodeQueue::lookingForClipsChanged);
    // What drops and runs announce is shown with the list's warnings.
    connect(this, &TranscodeQueue::intakeWarnings, this, &TranscodeQueue::keepAnnouncedWarnings);
    connect(this, &TranscodeQueue::runWarnings, this, &TranscodeQueue::keepAnnouncedWarnings);
}

TranscodeQueue::~TranscodeQueue() {
    if (!m_isConverting)
        return;
    // The window or the process is going away during a run: say what is left
    // unfinished, and stop REDline before the queue is gone (the runner's
    // destructor waits for it).
    if (!m_abandoning)
        logAbandoned();
    delete m_runner;
    m_runner = nullptr;
    log(QStringLiteral("abandon: REDline stopped"));
}

void TranscodeQueue::abandonRun(bool immediately) {
    if (!m_isConverting)
        return;
    if (!m_abandoning) {
        m_abandoning = true;
        logAbandoned();
    }
    m_runner->stop(immediately);
}

void TranscodeQueue::logAbandoned() const {
    const auto current = std::find_if(m_jobs.cbegin(), m_jobs.cend(), [](const TranscodeJob *j) {
        return j->status() == JobStatus::converting;
    });
    if (current == m_jobs.cend()) {
        log(QStringLiteral("abandon: stopping the run"));
        return;
    }
    log(u"abandon: stopping REDline, " +
        DebugText::printable(FileName::lastComponent((*current)->sourcePath())) +
        u" left unfinished");
}

namespace {

UserText unreadableWarning(const QStringList &skipped) {
    return UserText(QT_TRANSLATE_N_NOOP("UserText",
                                        "skipped %n R3D file(s) whose names are not valid UTF-8 "
                                        "(rename them to add them): %1"),
                    {}, int(skipped.size()))
        .listing(skipped);
}

UserText missingWarning(const QString &clipName, const QStringList &missing) {
    return UserText(QT_TRANSLATE_NOOP("UserText", "spanned clip %1 lacks %2; REDline cannot read "
                                                  "it whole without every piece"),
                    {clipName})
        .listing(missing, UserText::List::plain);
}

// The job's message: the error's English, and its wording when Tarnel wrote it.
void setError(TranscodeJob *job, const PlatformError &error) {
    if (error.text)
        job->setErrorText(*error.text);
    else
        job->setErrorMessage(error.description);
}

QString folderOf(const QString &path) {
    return path.left(path.lastIndexOf(u'/') + 1);
}

} // namespace

void TranscodeQueue::addFiles(const QList<QUrl> &urls) {
    addFound(urls, ClipCollector().collectAll(urls));
}

void TranscodeQueue::addFilesInBackground(const QList<QUrl> &urls) {
    m_search->search(urls);
}

bool TranscodeQueue::isLookingForClips() const {
    return m_search->isSearching();
}

QList<UserText> TranscodeQueue::reportFindings(const FoundClips &findings) const {
    if (findings.cardsEntered + findings.clipFoldersEntered > 0)
        log(u"addFiles: entered " + QString::number(findings.cardsEntered) +
            u" card folder(s) (.RDM) and " + QString::number(findings.clipFoldersEntered) +
            u" clip folder(s) (.RDC)");
    // What the user should know about this drop: the log has each whole,
    // the warnings name the first few paths of each.
    QList<UserText> warnings;
    const auto warn = [&](const QStringList &paths, UserText text) {
        if (paths.isEmpty())
            return;
        text.listing(paths);
        log(u"addFiles: " + text.english(paths.size()));
        warnings << text;
    };
    const auto count = [](const QStringList &paths) { return int(paths.size()); };
    const ClipCollector::Limits limits;
    warn(findings.unreadable, unreadableWarning(findings.unreadable));
    warn(findings.emptyClipFolders,
         UserText(QT_TRANSLATE_N_NOOP("UserText", "%n clip folder(s) hold no R3D file: %1"), {},
                  count(findings.emptyClipFolders)));
    warn(findings.tooDeep,
         UserText(QT_TRANSLATE_N_NOOP("UserText",
                                      "%n card or clip folder(s) lie more than %1 levels below "
                                      "the dropped folder and were not searched (drop a folder "
                                      "nearer to them): %2"),
                  {QString::number(limits.depth)}, count(findings.tooDeep)));
    warn(findings.unfinished,
         UserText(QT_TRANSLATE_N_NOOP("UserText",
                                      "stopped looking after %1 folders in %n dropped folder(s) "
                                      "(drop the card folders themselves to add the rest): %2"),
                  {QString::number(limits.folders)}, count(findings.unfinished)));
    return warnings;
}

void TranscodeQueue::addFound(const QList<QUrl> &urls, const FoundClips &findings) {
    // The found list holds clips: a spanned clip counts once, as its first
    // piece, so "found" in the log counts clips and equals the number of jobs
    // the drop would make in an empty list.
    QList<UserText> warnings = reportFindings(findings);
    // Warnings about a drop alone hold until the next drop or removal.
    ++m_intakeRound;
    noteUnreadable(findings.unreadable);
    if (findings.clips.isEmpty()) {
        reportNothingFound(urls, warnings);
        reviewIntakeWarnings();
        return;
    }
    QList<FoundClip> fresh = freshClips(findings.clips);
    warnings << noteMissingPieces(findings.clips);
    if (!warnings.isEmpty())
        Q_EMIT intakeWarnings(warnings);
    appendJobs(fresh);
    reviewIntakeWarnings();
}

void TranscodeQueue::noteUnreadable(const QStringList &skipped) {
    if (skipped.isEmpty())
        return;
    // A folder dropped again is reported once, as this drop found it.
    for (IntakeNotice &notice : m_notices) {
        if (notice.kind == IntakeNotice::Kind::unreadable)
            notice.names.removeIf([&](const QString &path) { return skipped.contains(path); });
    }
    m_notices.removeIf([](const IntakeNotice &n) {
        return n.kind == IntakeNotice::Kind::unreadable && n.names.isEmpty();
    });
    m_notices.append({IntakeNotice::Kind::unreadable, {}, skipped});
}

void TranscodeQueue::reportNothingFound(const QList<QUrl> &urls, const QList<UserText> &warnings) {
    QStringList paths;
    paths.reserve(urls.size());
    for (const QUrl &url : urls)
        paths.append(ClipCollector::pathText(url));
    log(u"addFiles: no R3D files found in dropped URLs: " + DebugText::quotedList(paths));
    // Warnings about what the drop held say enough already.
    if (warnings.isEmpty())
        m_notices.append(
            {IntakeNotice::Kind::once,
             {},
             {},
             m_intakeRound,
             UserText(QT_TRANSLATE_NOOP("UserText", "no R3D files found in %1")).listing(paths)});
    else
        Q_EMIT intakeWarnings(warnings);
}

QList<FoundClip> TranscodeQueue::freshClips(const QList<FoundClip> &found) {
    QSet<QString> existing;
    existing.reserve(m_jobs.size());
    for (const TranscodeJob *job : std::as_const(m_jobs))
        existing.insert(ClipCollector::pathText(job->sourceURL()));

    QList<FoundClip> fresh;
    QStringList spans;
    int folded = 0;
    for (const FoundClip &clip : found) {
        const QString path = ClipCollector::pathText(clip.url);
        if (!existing.contains(path))
            fresh.append(clip);
        else if (clip.isSpanned())
            remeasure(path, clip);
        if (clip.isSpanned()) {
            folded += int(clip.pieces.size()) - 1;
            spans.append(clip.url.fileName() + u" (" + QString::number(clip.pieces.size()) +
                         u" pieces)");
        }
    }
    log(u"addFiles: found " + QString::number(found.size()) + u" R3D file(s), " +
        QString::number(fresh.size()) + u" new");
    if (folded > 0)
        log(u"addFiles: folded " + QString::number(folded) + u" later piece(s) into " +
            QString::number(spans.size()) + u" spanned clip(s): " +
            DebugText::printable(spans.join(u", ")));
    return fresh;
}

QList<UserText> TranscodeQueue::noteMissingPieces(const QList<FoundClip> &found) {
    QList<UserText> warnings;
    for (const FoundClip &clip : found) {
        // This drop's view of the clip replaces an earlier one.
        const QString path = ClipCollector::pathText(clip.url);
        m_notices.removeIf([&](const IntakeNotice &n) {
            return n.kind == IntakeNotice::Kind::missingPieces && n.subject == path;
        });
        if (clip.missing.isEmpty())
            continue;
        // A long gap is named by its first few pieces and counted.
        warnings << missingWarning(clip.url.fileName(), clip.missing);
        log(u"addFiles: " + DebugText::printable(warnings.constLast().english()));
        m_notices.append({IntakeNotice::Kind::missingPieces, path, clip.missing});
    }
    return warnings;
}

void TranscodeQueue::appendJobs(QList<FoundClip> &fresh) {
    for (FoundClip &clip : fresh) {
        if (clip.bytes < 0) // not looked up by a search off the main thread
            clip.measure();
    }
    const int first = int(m_jobs.size());
    const int last = first + int(fresh.size()) - 1;
    if (!fresh.isEmpty())
        Q_EMIT jobsAboutToBeAdded(first, last);
    m_jobs.reserve(m_jobs.size() + fresh.size());
    for (const FoundClip &clip : std::as_const(fresh)) {
        m_jobs.append(new TranscodeJob(clip.url, clip.bytes, this));
        track(m_jobs.last());
    }
    if (!fresh.isEmpty())
        Q_EMIT jobsAdded(first, last);
    Q_EMIT jobsChanged();
}

void TranscodeQueue::remove(TranscodeJob *job) {
    if (!job || job->status() == JobStatus::converting)
        return;
    const QUuid id = job->id();
    ++m_intakeRound;
    removeJobs([&id](const TranscodeJob *j) { return j->id() == id; });
}

void TranscodeQueue::clearList() {
    // A drop still being searched belonged to the list being cleared.
    m_search->cancel();
    // An emptied list starts afresh: what earlier drops could not add is
    // no longer news.
    ++m_intakeRound;
    m_notices.removeIf(
        [](const IntakeNotice &n) { return n.kind == IntakeNotice::Kind::unreadable; });
    removeJobs([](const TranscodeJob *j) { return j->status() != JobStatus::converting; });
}

void TranscodeQueue::start() {
    if (!canStart())
        return;
    log(u"start: beginning queue of " + QString::number(queuedCount()) + u" file(s)");
    setIsConverting(true);
    Q_EMIT runStarted();
    // The first step runs from the event loop, after start() has returned.
    QMetaObject::invokeMethod(this, &TranscodeQueue::processNext, Qt::QueuedConnection);
}

void TranscodeQueue::processNext() {
    if (m_abandoning) {
        m_abandoning = false;
        log(QStringLiteral("abandon: REDline stopped, run ended"));
        endRun(false);
        return;
    }
    TranscodeJob *job = nextQueued();
    if (!job) {
        log(QStringLiteral("processNext: no queued jobs"));
        if (m_isConverting)
            endRun(true);
        return;
    }
    const QUrl outputDirectory = m_settings.outputDirectoryURL();
    if (outputDirectory.isEmpty()) {
        failWithoutOutputFolder(job);
        return;
    }
    launch(job, outputDirectory);
}

void TranscodeQueue::failWithoutOutputFolder(TranscodeJob *job) {
    log(QStringLiteral("processNext: outputDirectoryURL is nil \u2014 aborting"));
    job->setStatus(JobStatus::failed);
    job->setErrorText(REDlineError::noOutputFolder(false));
    Q_EMIT jobFinished(job);
    endRun(false);
}

void TranscodeQueue::logStep(const TranscodeJob *job, const QString &outputPath,
                             const QString &redlinePath, ProResPreset preset) const {
    const auto yesNo = [](bool b) { return b ? QStringLiteral("true") : QStringLiteral("false"); };
    log(u"processNext: starting " +
        DebugText::printable(FileName::lastComponent(job->sourcePath())));
    log(u"  output dir  = " + DebugText::printable(outputPath));
    log(u"  redline     = " + DebugText::printable(redlinePath));
    log(u"  redline exists = " + yesNo(REDlineLocator::isFound(redlinePath)));
    log(u"  output exists  = " + yesNo(QFileInfo::exists(outputPath)));
    log(u"  preset      = " + ProResPresets::rawValue(preset));
    log(u"  PRcodec flag= " + ProResPresets::prCodec(preset));
}

void TranscodeQueue::launch(TranscodeJob *job, const QUrl &outputDirectory) {
    const QString outputPath = FileName::folderPath(outputDirectory);
    const QString redlinePath = m_settings.redlinePath();
    const ProResPreset preset = m_settings.selectedPreset();
    logStep(job, outputPath, redlinePath, preset);
    job->setStatus(JobStatus::converting);
    job->setStartedAt(QDateTime::currentDateTime());
    job->setProgress(0);
    Q_EMIT jobStarted(job);

    // The folder's movies just before REDline starts: only what this
    // conversion writes can be its movie.
    OutputDiscovery::Snapshot before =
        OutputDiscovery::snapshot(outputPath, FileName::baseName(job->sourcePath()));
    const QString outputName = claimOutputName(job, outputPath, before.claims);
    log(QStringLiteral("step 1: launching REDline transcode..."));
    // Progress and the result arrive on the main thread, and not at all once
    // the queue is gone. The job may be gone by then; the run goes on all the
    // same.
    m_runner->transcode(
        {job->sourcePath(), outputName, preset, outputPath, redlinePath, std::move(before)}, this,
        [job = QPointer<TranscodeJob>(job)](double progress) {
            if (job)
                job->setProgress(progress);
        },
        [this, job = QPointer<TranscodeJob>(job)](const TranscodeResult &result) {
            finishConversion(job, result);
        });
}

namespace {

// What a conversion that never finished left at `movie`, and whose it was:
// the owner's words are part of the text, so they are translated with it.
UserText abandonedWarning(const QString &movie, const OutputClaim::Owner &owner) {
    QStringList values{DebugText::printable(movie),
                       owner.program.isEmpty() ? QStringLiteral("Tarnel") : owner.program,
                       QString::number(owner.pid), owner.host};
    const bool since = owner.claimedAt.isValid();
    if (since)
        values << owner.claimedAt.toString(Qt::ISODate);
    if (QFileInfo::exists(movie))
        return UserText(
            since ? QT_TRANSLATE_NOOP("UserText", "a conversion that never finished left %1 (%2, "
                                                  "process %3 on %4, since %5); it may be "
                                                  "incomplete")
                  : QT_TRANSLATE_NOOP("UserText", "a conversion that never finished left %1 (%2, "
                                                  "process %3 on %4); it may be incomplete"),
            values);
    return UserText(
        since ? QT_TRANSLATE_NOOP("UserText", "a conversion that never finished left no movie "
                                              "at %1 (%2, process %3 on %4, since %5)")
              : QT_TRANSLATE_NOOP("UserText", "a conversion that never finished left no movie "
                                              "at %1 (%2, process %3 on %4)"),
        values);
}

} // namespace

QString TranscodeQueue::claimOutputName(TranscodeJob *job, const QString &outputPath,
                                        const QStringList &claimFiles) {
    QList<UserText> warnings;
    for (const OutputClaim::Abandoned &gone :
         OutputClaim::collectAbandoned(outputPath, claimFiles)) {
        warnings << abandonedWarning(outputPath + u'/' + gone.movieName + u".mov", gone.owner);
        log(u"warning: " + warnings.constLast().english());
    }
    if (!warnings.isEmpty())
        Q_EMIT runWarnings(warnings);

    QStringList held;
    QString unclaimed;
    const QString name = outputName(job, outputPath, [&](const QString &candidate) {
        auto taken = OutputClaim::take(outputPath, candidate);
        if (auto *claim = std::get_if<OutputClaim>(&taken)) {
            m_claim.emplace(std::move(*claim));
            return true;
        }
        if (const auto *other = std::get_if<OutputClaim::Held>(&taken)) {
            held << candidate + u" (" + other->owner.describe() + u')';
            return false;
        }
        // No claim can be made there (a read-only folder, a file in its
        // place): REDline will say what is wrong with the folder.
        unclaimed = std::get<PlatformError>(taken).description;
        return true;
    });
    const bool likeClip = m_settings.nameMoviesLikeClips();
    const QString first = REDlineRunner::outputName(job->sourcePath(), 1, likeClip);
    if (!held.isEmpty())
        log(u"  output name = " + DebugText::printable(name) +
            u" (being written by another conversion: " + DebugText::printable(held.join(u", ")) +
            u')');
    else if (name != first)
        log(u"  output name = " + DebugText::printable(name) + u" (" + DebugText::printable(first) +
            u" is the movie of another clip of that name in the list)");
    else if (likeClip)
        log(u"  output name = " + DebugText::printable(name) + u" (named like its clip)");
    if (!unclaimed.isEmpty())
        log(u"  output name not claimed: " + DebugText::printable(unclaimed));
    return name;
}

void TranscodeQueue::finishConversion(TranscodeJob *job, const TranscodeResult &result) {
    // REDline is done with the name: the movie is there to keep, or not.
    m_claim.reset();
    if (!result.succeeded()) {
        const QString description = result.error->description();
        if (job) {
            job->setStatus(JobStatus::failed);
            if (const auto wording = result.error->wording())
                job->setErrorText(*wording);
            else
                job->setErrorMessage(description);
        }
        log(u"FAILED: " + result.error->debugDescription());
        log(u"FAILED description: " + description);
        if (job)
            Q_EMIT jobFinished(job);
        processNext();
        return;
    }

    const QString moviePath = result.outputURL.toLocalFile();
    log(u"step 1 done: output = " + DebugText::printable(moviePath));
    if (!job) {
        log(QStringLiteral("step 2 skipped: the job was removed from the list"));
        processNext();
        return;
    }
    job->setOutputURL(result.outputURL);
    job->setFinishedAt(QDateTime::currentDateTime());
    job->setProgress(1.0);
    job->setStatus(JobStatus::done);
    const QFileInfo movie(moviePath);
    if (movie.exists()) {
        job->setOutputSizeBytes(movie.size());
        log(u"output size = " + ByteCountFormatter::logText(movie.size()));
    }

    log(QStringLiteral("step 2: reading metadata from converted file..."));
    // A job removed or cleared while it is measured does not stop the run.
    m_runner->readMetadata(result.outputURL, this,
                           [this, job = QPointer<TranscodeJob>(job)](const R3DMetadata &metadata) {
                               finishMeasurement(job, metadata);
                           });
}

void TranscodeQueue::finishMeasurement(TranscodeJob *job, const R3DMetadata &metadata) {
    log(u"step 2 done: fps=" + QString::number(metadata.frameRate) + u' ' +
        QString::number(metadata.width) + u'x' + QString::number(metadata.height) + u" frames=" +
        QString::number(metadata.frameCount));
    if (!job) {
        log(QStringLiteral("step 3 skipped: the job was removed from the list"));
        processNext();
        return;
    }
    job->setMetadata(metadata);

    if (!m_settings.autoSendToFCP()) {
        log(QStringLiteral("step 3 skipped: auto-send off (use the Send to Final Cut button)"));
    } else {
        log(QStringLiteral("step 3: sending to FCP (auto-send on)..."));
        const auto error = m_generator.sendToFCP(*job, job->metadata());
        if (!error) {
            log(u"step 3 done: sent " + DebugText::printable(markSent(job)) + u" to FCP");
        } else if (FCPXMLGenerator::isFinalCutMissing(*error)) {
            // The movie is fine and the document was kept: the job stays
            // done and its row says why nothing was handed over.
            setError(job, *error);
            job->setHandOffFailed(true);
            log(u"step 3: the hand-off did not happen: " + error->description);
        } else {
            job->setStatus(JobStatus::failed);
            setError(job, *error);
            log(u"FAILED: " + error->debugDescription());
            log(u"FAILED description: " + error->description);
        }
    }
    Q_EMIT jobFinished(job);
    processNext();
}

QString TranscodeQueue::markSent(TranscodeJob *job) {
    const QString name = FileName::baseName(job->sourceURL());
    job->setStatus(JobStatus::sentToFCP);
    setLastSentToFCPName(name);
    return name;
}

void TranscodeQueue::endRun(bool summary) {
    setIsConverting(false);
    if (summary)
        queueFinished();
    Q_EMIT runFinished();
}

void TranscodeQueue::queueFinished() {
    const int failed = count(JobStatus::failed);
    log(u"queue finished \u2014 " + QString::number(m_jobs.size()) + u" file(s), " +
        QString::number(failed) + u" failed");
    if (!m_settings.playCompletionSound())
        return;
    m_soundPlayer->play(QLatin1String(failed > 0 ? SoundPlayer::kFailure : SoundPlayer::kSuccess));
}

void TranscodeQueue::manualSend(TranscodeJob *job) {
    if (!job || !job->hasOutputURL())
        return;
    const auto error = m_generator.sendToFCP(*job, job->metadata());
    if (!error) {
        log(u"manual send: " + DebugText::printable(markSent(job)) + u" -> FCP");
        if (job->handOffFailed())
            job->setHandOffFailed(false);
    } else {
        setError(job, *error);
        // The state stays; the flag lets the row show why the click did nothing.
        job->setHandOffFailed(true);
        log(u"manual send FAILED: " + error->description);
    }
    Q_EMIT jobUpdated(job);
}

QString TranscodeQueue::outputName(const TranscodeJob *job, const QString &outputFolder,
                                   const std::function<bool(const QString &name)> &isFree) const {
    // Jobs still waiting above this one convert first and take their names
    // first: in a run there are none (no job before the one a run picks is
    // queued), a dry run lists them all.
    QList<const TranscodeJob *> earlier;
    if (m_jobs.value(m_nextFrom) != job) {
        for (const TranscodeJob *other : m_jobs) {
            if (other == job)
                break;
            if (other->status() == JobStatus::queued && !other->hasOutputURL())
                earlier.append(other);
        }
    }
    // Without those, only names that begin with the job's base name can
    // stand in its way.
    const QString prefix = earlier.isEmpty() ? FileName::baseName(job->sourcePath()) : QString();
    QSet<QString> taken;
    if (const auto names = m_movieNames.constFind(outputFolder); names != m_movieNames.cend()) {
        const Tally own = tallyOf(job);
        for (auto it = names->lowerBound(prefix);
             it != names->cend() && it.key().startsWith(prefix); ++it) {
            // The job's own movie is no other job's.
            if (it.value() > 1 || own.movieFolder != outputFolder || own.movieName != it.key())
                taken.insert(it.key());
        }
    }
    const bool likeClip = m_settings.nameMoviesLikeClips();
    const auto firstFree = [&taken, likeClip](const QString &sourcePath) {
        int number = 1;
        while (taken.contains(REDlineRunner::outputName(sourcePath, number, likeClip)))
            ++number;
        return REDlineRunner::outputName(sourcePath, number, likeClip);
    };
    for (const TranscodeJob *other : std::as_const(earlier))
        taken.insert(firstFree(other->sourcePath()));
    if (!isFree)
        return firstFree(job->sourcePath());
    QString name;
    do {
        name = firstFree(job->sourcePath());
        taken.insert(name);
    } while (!isFree(name));
    return name;
}

qint64 TranscodeQueue::estimatedOutputBytes() const {
    return qint64(double(totalSourceBytes()) *
                  ProResPresets::sizeRatio(m_settings.selectedPreset()));
}

bool TranscodeQueue::canStart() const {
    return !m_isConverting && queuedCount() > 0;
}

int TranscodeQueue::finishedCount() const {
    return count(JobStatus::done) + count(JobStatus::sentToFCP) + count(JobStatus::failed);
}

TranscodeJob *TranscodeQueue::nextQueued() {
    while (m_nextFrom < m_jobs.size() && m_jobs.at(m_nextFrom)->status() != JobStatus::queued)
        ++m_nextFrom;
    return m_nextFrom < m_jobs.size() ? m_jobs.at(m_nextFrom) : nullptr;
}

void TranscodeQueue::track(TranscodeJob *job) {
    tally(tallyOf(job), 1);
    job->setWatcher(this);
}

void TranscodeQueue::untrack(TranscodeJob *job) {
    job->setWatcher(nullptr);
    tally(tallyOf(job), -1);
    // The jobs after it move up, maybe past the place the search starts.
    m_nextFrom = 0;
}

void TranscodeQueue::jobWillChange(const TranscodeJob *job) {
    tally(tallyOf(job), -1);
    m_wasQueued = job->status() == JobStatus::queued;
}

void TranscodeQueue::jobChanged(const TranscodeJob *job) {
    if (job->status() == JobStatus::queued && !m_wasQueued)
        m_nextFrom = 0;
    tally(tallyOf(job), 1);
}

TranscodeQueue::Tally TranscodeQueue::tallyOf(const TranscodeJob *job) {
    Tally t{job->status(), job->sourceSizeBytes(), {}, {}};
    if (job->hasOutputURL()) {
        const QString movie = job->outputURL().toLocalFile();
        t.movieFolder = movie.left(std::max<qsizetype>(movie.lastIndexOf(u'/'), 1));
        t.movieName = FileName::baseName(movie);
    }
    return t;
}

void TranscodeQueue::tally(const Tally &t, int sign) {
    m_statusCounts[std::size_t(t.status)] += sign;
    m_totalBytes += sign * t.bytes;
    if (t.status == JobStatus::queued)
        m_queuedBytes += sign * t.bytes;
    if (t.movieFolder.isEmpty())
        return;
    QMap<QString, int> &names = m_movieNames[t.movieFolder];
    if ((names[t.movieName] += sign) <= 0)
        names.remove(t.movieName);
    if (names.isEmpty())
        m_movieNames.remove(t.movieFolder);
}

void TranscodeQueue::removeJobs(const std::function<bool(const TranscodeJob *)> &gone) {
    QList<int> rows;
    for (int row = 0; row < m_jobs.size(); ++row) {
        if (gone(m_jobs.at(row)))
            rows.append(row);
    }
    // Runs of adjacent rows, the last run first, so that earlier rows keep
    // their numbers.
    QList<TranscodeJob *> removed;
    for (qsizetype end = rows.size(); end > 0;) {
        qsizetype start = end - 1;
        while (start > 0 && rows.at(start - 1) == rows.at(start) - 1)
            --start;
        const int first = rows.at(start);
        const int last = rows.at(end - 1);
        Q_EMIT jobsAboutToBeRemoved(first, last);
        for (int row = first; row <= last; ++row) {
            untrack(m_jobs.at(row));
            removed.append(m_jobs.at(row));
        }
        m_jobs.remove(first, last - first + 1);
        Q_EMIT jobsRemoved(first, last);
        end = start;
    }
    Q_EMIT jobsChanged();
    for (TranscodeJob *j : std::as_const(removed))
        j->deleteLater();
    reviewIntakeWarnings();
}

void TranscodeQueue::remeasure(const QString &path, const FoundClip &found) {
    // A piece added later counts once the clip is dropped again; a clip that
    // has begun converting keeps the size it started with.
    for (TranscodeJob *job : std::as_const(m_jobs)) {
        if (job->status() != JobStatus::queued || ClipCollector::pathText(job->sourceURL()) != path)
            continue;
        FoundClip clip = found;
        if (clip.bytes < 0) // not looked up by a search off the main thread
            clip.measure();
        job->setSourceSizeBytes(clip.bytes);
        Q_EMIT jobUpdated(job);
    }
}

UserText TranscodeQueue::noticeText(const IntakeNotice &notice) {
    switch (notice.kind) {
    case IntakeNotice::Kind::missingPieces:
        return missingWarning(FileName::lastComponent(notice.subject), notice.names);
    case IntakeNotice::Kind::unreadable:
        return unreadableWarning(notice.names);
    case IntakeNotice::Kind::once:
        break;
    }
    return notice.said;
}

void TranscodeQueue::keepAnnouncedWarnings(const QList<UserText> &warnings) {
    // Warnings this queue follows up are kept as notices already; any other
    // (about a drop alone, or found by a run) holds until the next drop or
    // removal.
    QList<UserText> followed;
    for (const IntakeNotice &notice : std::as_const(m_notices))
        followed << noticeText(notice);
    for (const UserText &warning : warnings) {
        if (!followed.contains(warning))
            m_notices.append({IntakeNotice::Kind::once, {}, {}, m_intakeRound, warning});
    }
    // After the drop has put its jobs in the list.
    QMetaObject::invokeMethod(this, &TranscodeQueue::reviewIntakeWarnings, Qt::QueuedConnection);
}

void TranscodeQueue::reviewIntakeWarnings() {
    QSet<QString> listed;
    listed.reserve(m_jobs.size());
    for (const TranscodeJob *job : std::as_const(m_jobs))
        listed.insert(ClipCollector::pathText(job->sourceURL()));
    // Files that could not be added: each folder is listed again, once.
    QHash<QString, QStringList> unreadableNow;
    for (IntakeNotice &notice : m_notices) {
        switch (notice.kind) {
        case IntakeNotice::Kind::missingPieces: {
            const QString folder = folderOf(notice.subject);
            notice.names.removeIf(
                [&](const QString &name) { return QFileInfo::exists(folder + name); });
            if (!listed.contains(notice.subject))
                notice.names.clear();
            break;
        }
        case IntakeNotice::Kind::unreadable:
            notice.names.removeIf([&](const QString &path) {
                const QString folder = folderOf(path);
                if (!unreadableNow.contains(folder)) {
                    // The folder itself, none below it.
                    ClipCollector::Options options;
                    options.limits.depth = 0;
                    ClipCollector collector(options);
                    collector.collect(QUrl::fromLocalFile(folder));
                    unreadableNow.insert(folder, collector.findings().unreadable);
                }
                return !unreadableNow.value(folder).contains(path);
            });
            break;
        case IntakeNotice::Kind::once:
            break;
        }
    }
    m_notices.removeIf([this](const IntakeNotice &n) {
        return n.kind == IntakeNotice::Kind::once ? n.round != m_intakeRound : n.names.isEmpty();
    });
    QList<UserText> warnings;
    warnings.reserve(m_notices.size());
    for (const IntakeNotice &notice : std::as_const(m_notices))
        warnings << noticeText(notice);
    if (warnings == m_currentWarnings)
        return;
    m_currentWarnings = warnings;
    Q_EMIT intakeWarningsChanged();
}

void TranscodeQueue::setIsConverting(bool value) {
    m_isConverting = value;
    Q_EMIT isConvertingChanged();
}

void TranscodeQueue::setLastSentToFCPName(const QString &name) {
    m_lastSentToFCPName = name;
    Q_EMIT lastSentToFCPNameChanged();
}
