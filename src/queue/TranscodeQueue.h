#pragma once

#include "fcpxml/FCPXMLGenerator.h"
#include "model/DebugText.h"
#include "model/TranscodeJob.h"
#include "model/UserText.h"
#include "platform/DebugLog.h"
#include "runner/OutputClaim.h"
#include "runner/REDlineRunner.h"
#include "settings/UserSettings.h"

#include <QHash>
#include <QList>
#include <QMap>
#include <QObject>
#include <QUrl>
#include <array>
#include <functional>
#include <optional>

class ClipSearch;
struct FoundClip;
struct FoundClips;
class SoundPlayer;
class Workspace;

// Owns the list of jobs of one main window: turns dropped or chosen files and
// folders into queued jobs, removes jobs, answers the window's questions
// about the list, converts the queued jobs one after another, hands finished
// clips to Final Cut Pro, and writes the debug log. Lives on the main thread.
//
// A run is a chain of steps on the main thread, one job per step; every step
// reads the list and the settings afresh, and the main thread stays free
// while REDline converts a file or a movie is measured.
//
// It announces events (rows added and removed, jobs started, updated and
// finished, runs started and finished); ConversionSession passes them on to
// the faces, with the converting job's progress batched.
class TranscodeQueue : public QObject, private JobWatcher {
    Q_OBJECT
    Q_PROPERTY(bool isConverting READ isConverting NOTIFY isConvertingChanged)

public:
    // The settings are read at every step and outlive the queue.
    // Plays the end-of-run sound with `sounds` and hands clips to Final Cut
    // Pro through `workspace`; both outlive the queue.
    TranscodeQueue(UserSettings &settings, SoundPlayer &sounds, Workspace &workspace,
                   QObject *parent = nullptr);
    ~TranscodeQueue() override;

    const QList<TranscodeJob *> &jobs() const { return m_jobs; }
    std::optional<QString> lastSentToFCPName() const { return m_lastSentToFCPName; }
    bool isConverting() const { return m_isConverting; }

    UserSettings &settings() const { return m_settings; }

    QString logPath() const { return m_log.path(); }
    // Moves the debug log; the application never does, tests do.
    void setLogPath(const QString &path) { m_log = DebugLog(path); }

    // Adds one queued job per R3D clip found in the URLs that is not already
    // in the list. Folder URLs (path ending in "/") are listed one level deep,
    // and the RED card and clip folders below them are entered; a clip
    // spanned over several pieces is one job on its first piece, sized as
    // all its pieces (see ClipCollector).
    void addFiles(const QList<QUrl> &urls);
    // The same, with the looking done off the main thread: the jobs are
    // added in one step when the search ends, drops in the order they came.
    // Clearing the list, or the queue's end, drops a search still running.
    void addFilesInBackground(const QList<QUrl> &urls);
    bool isLookingForClips() const;
    // The searches of addFilesInBackground (benchmarks slow them down).
    ClipSearch *clipSearch() const { return m_search; }
    // Removes the job unless it is converting.
    void remove(TranscodeJob *job);
    // Removes every job that is not converting.
    void clearList();

    // Starts a run if one can start; returns before the first step.
    void start();
    // Ends a run early (a window closing, Ctrl-C in a terminal): logs which
    // file is left unfinished and stops REDline. The run ends once REDline
    // has exited, without a summary or sound: the converting job fails with
    // REDline's exit status and isConverting turns false. `immediately`
    // kills REDline instead of asking it to stop. Does nothing when idle.
    void abandonRun(bool immediately = false);
    // Hands a converted job's clip to Final Cut Pro now.
    void manualSend(TranscodeJob *job);
    // The name REDline is told to give the job's movie in `outputFolder`
    // (a path without the trailing "/"): "<base>_tarnel", unless another job
    // of the list already has a movie of that name there, or will have one
    // when a run reaches it first, or `isFree` (when given) turns the name
    // down; then "<base>_2_tarnel", "<base>_3_tarnel" and so on, so that two
    // clips of one name never write one movie. With the setting to name
    // movies like their clips, "<base>", "<base>_2", …. The one place where
    // a movie's name is chosen.
    QString outputName(const TranscodeJob *job, const QString &outputFolder,
                       const std::function<bool(const QString &name)> &isFree = {}) const;
    // The expected size of all outputs at the selected preset.
    qint64 estimatedOutputBytes() const;

    // The intake warnings that hold for the list as it is now, one each
    // (worded as intakeWarnings() words them): spanned clips of the list that
    // still lack pieces, files of a drop that could not be added and still
    // cannot (until the list is cleared), and, until the next drop or
    // removal, a drop that held no R3D file and any other warning a drop or
    // a run announced. Recomputed at every drop and every change of the list;
    // intakeWarningsChanged() announces a change.
    const QList<UserText> &currentIntakeWarnings() const { return m_currentWarnings; }
    // Checks the warnings against the disk again (a file renamed, a piece
    // copied in); the window does when it becomes active.
    void reviewIntakeWarnings();

    // The counts and sums below are kept up to date as jobs come, go and
    // change, so asking costs the same for any length of list.
    bool canStart() const;
    int queuedCount() const { return count(JobStatus::queued); }
    int finishedCount() const;
    qint64 totalSourceBytes() const { return m_totalBytes; }
    // The source bytes of the jobs still queued.
    qint64 queuedSourceBytes() const { return m_queuedBytes; }

    // Writes one entry: line feeds and other control characters in the
    // message (an error's several lines, a name) are written escaped, so no
    // text can start a line that reads as an entry of its own.
    void log(const QString &message) const { m_log.append(DebugText::printable(message)); }

    // Replaces the end-of-run sound's player.
    void setSoundPlayer(SoundPlayer &player) { m_soundPlayer = &player; }

Q_SIGNALS:
    // The list's rows: jobs about to be added at rows first to last (at the
    // end) and added; rows about to be removed and removed, a run of
    // adjacent rows at a time, the last run first. jobsChanged() follows
    // every change of the list, also one that added nothing.
    void jobsAboutToBeAdded(int first, int last);
    void jobsAdded(int first, int last);
    void jobsAboutToBeRemoved(int first, int last);
    void jobsRemoved(int first, int last);
    void jobsChanged();
    void lastSentToFCPNameChanged();
    void isConvertingChanged();
    // A run began (isConverting has just turned true), and a run is over:
    // its last line, the summary when it has one, is written and its sound
    // asked for. A queue destroyed during a run announces no end.
    void runStarted();
    void runFinished();
    // A run's step began on the job (now converting), and the run is done
    // with it: converted, measured and handed off, or failed; its fields
    // are all set.
    void jobStarted(TranscodeJob *job);
    void jobFinished(TranscodeJob *job);
    // A job changed outside a run's steps: a later drop gave it more pieces,
    // or it was handed to Final Cut Pro by hand.
    void jobUpdated(TranscodeJob *job);
    // What a drop held that the user should know about, once per drop, one
    // text each, worded as the log words them without their prefix (but
    // naming only the first few files): files that could not be added,
    // spanned clips with pieces missing.
    void intakeWarnings(const QList<UserText> &warnings);
    void intakeWarningsChanged();
    // What a run found that the user should know about: conversions that
    // never finished (a claim whose owner is gone), one text each.
    void runWarnings(const QList<UserText> &warnings);
    // A search of addFilesInBackground began, or the last one ended.
    void lookingForClipsChanged(bool looking);

private:
    // Adds what a drop of `urls` held.
    void addFound(const QList<QUrl> &urls, const FoundClips &found);
    // Logs what else the drop held; the warnings to show for it.
    QList<UserText> reportFindings(const FoundClips &found) const;
    // Keeps the files of a drop that could not be added as a notice.
    void noteUnreadable(const QStringList &skipped);
    // A drop without any clip: logged, and a warning unless `warnings` say enough.
    void reportNothingFound(const QList<QUrl> &urls, const QList<UserText> &warnings);
    // The clips not listed yet; a listed spanned clip takes its new size.
    QList<FoundClip> freshClips(const QList<FoundClip> &found);
    // Notices and warnings for the spanned clips that lack pieces.
    QList<UserText> noteMissingPieces(const QList<FoundClip> &found);
    // Lists the clips as queued jobs, measured where the search did not.
    void appendJobs(QList<FoundClip> &fresh);
    // One step of the run: the first queued job, or the end of the run.
    void processNext();
    // The job fails at once: the settings name no output folder.
    void failWithoutOutputFolder(TranscodeJob *job);
    // What a step starts from, for the log.
    void logStep(const TranscodeJob *job, const QString &outputPath, const QString &redlinePath,
                 ProResPreset preset) const;
    // Starts converting the job into the folder.
    void launch(TranscodeJob *job, const QUrl &outputDirectory);
    // `job` is null when the job left the list meanwhile; the run goes on.
    void finishConversion(TranscodeJob *job, const TranscodeResult &result);
    void finishMeasurement(TranscodeJob *job, const R3DMetadata &metadata);
    void queueFinished();
    // Ends the run: isConverting turns false, then the summary and the sound
    // when `summary`, then runFinished().
    void endRun(bool summary);
    void logAbandoned() const;
    // Claims the job's movie name in the output folder (the first name no
    // live conversion holds) and reports the claims whose owner is gone.
    QString claimOutputName(TranscodeJob *job, const QString &outputPath,
                            const QStringList &claimFiles);
    // Marks a job handed to Final Cut Pro; returns its base name.
    QString markSent(TranscodeJob *job);
    // Removes the jobs `gone` picks; they are deleted once the current
    // event is done, so observers that still hold them during the
    // announcements stay safe.
    void removeJobs(const std::function<bool(const TranscodeJob *)> &gone);
    void setIsConverting(bool value);
    void setLastSentToFCPName(const QString &name);
    // Gives the queued job of that source path the size of the clip found.
    void remeasure(const QString &path, const FoundClip &found);

    // What intake found wrong, kept while it holds. `names` are the missing
    // pieces' names (beside `subject`, the clip's first piece) or the paths
    // of the files that could not be added, each checked again at every
    // review; a warning about one drop alone (`once`: no R3D file in it, or
    // any other a drop or run announced) is `said` and holds for its
    // `round`, until the next drop or removal.
    struct IntakeNotice {
        enum class Kind { missingPieces, unreadable, once };
        Kind kind;
        QString subject;
        QStringList names;
        int round = 0;
        UserText said{};
    };
    static UserText noticeText(const IntakeNotice &notice);
    // Keeps announced warnings that no notice follows up, as `once` notices.
    void keepAnnouncedWarnings(const QList<UserText> &warnings);
    QList<IntakeNotice> m_notices;
    QList<UserText> m_currentWarnings;
    int m_intakeRound = 0;
    // The first queued job in list order, or null.
    TranscodeJob *nextQueued();
    int count(JobStatus status) const { return m_statusCounts[std::size_t(status)]; }
    // Counts a job in (its state and bytes, followed from now on) or out.
    void track(TranscodeJob *job);
    void untrack(TranscodeJob *job);
    void jobWillChange(const TranscodeJob *job) override;
    void jobChanged(const TranscodeJob *job) override;
    struct Tally;
    static Tally tallyOf(const TranscodeJob *job);
    void tally(const Tally &t, int sign);

    QList<TranscodeJob *> m_jobs;
    std::optional<QString> m_lastSentToFCPName;
    bool m_isConverting = false;
    bool m_abandoning = false;
    UserSettings &m_settings;
    // The claim on the movie being written; released when REDline is done.
    std::optional<OutputClaim> m_claim;
    REDlineRunner *m_runner = nullptr; // owned as a child
    ClipSearch *m_search = nullptr;    // owned as a child
    FCPXMLGenerator m_generator;
    SoundPlayer *m_soundPlayer; // never null
    DebugLog m_log;
    // What the counts take from a job: its state, its source bytes, and the
    // folder and base name of its movie (empty without one). Taken out just
    // before a change and put back just after it.
    struct Tally {
        JobStatus status;
        qint64 bytes;
        QString movieFolder;
        QString movieName;
    };
    // Whether the job changing now was queued before the change.
    bool m_wasQueued = false;
    // The base names of the jobs' movies by folder, each with the number of
    // jobs that have it, in order so that the names with a prefix are found
    // at once.
    QHash<QString, QMap<QString, int>> m_movieNames;
    std::array<int, 5> m_statusCounts{};
    qint64 m_totalBytes = 0;
    qint64 m_queuedBytes = 0;
    // No job before this index is queued.
    qsizetype m_nextFrom = 0;
};
