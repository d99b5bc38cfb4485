#include "MediaProbe.h"

#include "model/Timecode.h"
#include "platform/ReadOnlyFile.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <memory>
#include <mutex>

extern "C" {
#include <libavformat/avformat.h>
#include <libavutil/log.h>
#include <libavutil/mem.h>
}

namespace {

// The movie, opened by us and read by the demuxer through callbacks: only a
// regular file that was opened without blocking and without following a
// link at its name is ever handed to the demuxer.
struct MovieInput {
    std::unique_ptr<ReadOnlyFile> file;
    AVIOContext *io = nullptr;
    AVFormatContext *ctx = nullptr;
    ~MovieInput() {
        if (ctx)
            avformat_close_input(&ctx); // leaves our own I/O context alone
        if (io) {
            av_freep(&io->buffer);
            avio_context_free(&io);
        }
    }

    // The file's answers as the demuxer takes them: errors as AVERROR(errno).
    static int read(void *opaque, uint8_t *buffer, int size) {
        const qint64 n = static_cast<MovieInput *>(opaque)->file->read(buffer, size);
        if (n < 0)
            return AVERROR(int(-n));
        return n == 0 ? AVERROR_EOF : int(n);
    }
    static int64_t seek(void *opaque, int64_t offset, int whence) {
        ReadOnlyFile &file = *static_cast<MovieInput *>(opaque)->file;
        const qint64 at =
            whence == AVSEEK_SIZE ? file.size() : file.seek(offset, whence & ~AVSEEK_FORCE);
        return at < 0 ? AVERROR(int(-at)) : int64_t(at);
    }

    // Opens the file; false when it is not a regular file or cannot be read.
    bool open(const QString &path) {
        file = std::make_unique<ReadOnlyFile>(path);
        if (!file->isOpen())
            return false;
        constexpr int kBufferSize = 64 * 1024;
        auto *buffer = static_cast<unsigned char *>(av_malloc(kBufferSize));
        if (!buffer)
            return false;
        io = avio_alloc_context(buffer, kBufferSize, 0, this, &MovieInput::read, nullptr,
                                &MovieInput::seek);
        if (!io) {
            av_free(buffer);
            return false;
        }
        ctx = avformat_alloc_context();
        if (!ctx)
            return false;
        ctx->pb = io;
        ctx->flags |= AVFMT_FLAG_CUSTOM_IO;
        // The QuickTime reader only: the outputs are always .mov, and probing
        // could mistake another file for some other kind of media.
        const AVInputFormat *mov = av_find_input_format("mov");
        if (avformat_open_input(&ctx, nullptr, mov, nullptr) < 0) {
            ctx = nullptr; // freed by the failed open
            return false;
        }
        return true;
    }
};

const AVStream *firstStream(const AVFormatContext *ctx, AVMediaType type) {
    for (unsigned i = 0; i < ctx->nb_streams; ++i) {
        const AVStream *s = ctx->streams[i];
        if (s->codecpar->codec_type == type && !(s->disposition & AV_DISPOSITION_ATTACHED_PIC))
            return s;
    }
    return nullptr;
}

// The rate a track states, as a fraction in lowest terms. A rate within
// 0.01 % of a whole rate n or of n·1000/1001 is taken to be exactly that
// rate: a movie's header gives its rate as frames over its length, which
// rounding in the time scale can shift by a hair.
AVRational exactRate(AVRational rate) {
    if (rate.num <= 0 || rate.den <= 0)
        return {0, 0};
    const double measured = av_q2d(rate);
    const auto near = [measured](double candidate) {
        return candidate > 0 && std::abs(measured - candidate) <= candidate * 1e-4;
    };
    const double whole = std::round(measured);
    if (whole <= INT_MAX / 1000 && near(whole))
        return {int(whole), 1};
    const double ntsc = std::round(measured * 1.001);
    if (ntsc <= INT_MAX / 1000 && near(ntsc * 1000 / 1001))
        return {int(ntsc) * 1000, 1001};
    AVRational reduced{};
    av_reduce(&reduced.num, &reduced.den, rate.num, rate.den, INT_MAX);
    return reduced;
}

const char *tag(const AVDictionary *metadata, const char *key) {
    const AVDictionaryEntry *entry = av_dict_get(metadata, key, nullptr, 0);
    return entry && entry->value[0] ? entry->value : nullptr;
}

// The timecode track's start and source name, into `record`. `video` is the
// movie's video rate (0/0 when unknown).
void readTimecode(const AVFormatContext *ctx, const AVStream *videoStream, AVRational video,
                  R3DMetadata &record) {
    const AVStream *track = nullptr;
    for (unsigned i = 0; i < ctx->nb_streams && !track; ++i) {
        const AVStream *s = ctx->streams[i];
        if (s->codecpar->codec_tag == MKTAG('t', 'm', 'c', 'd') && tag(s->metadata, "timecode"))
            track = s;
    }
    const char *text = track ? tag(track->metadata, "timecode") : nullptr;
    if (!text && videoStream)
        text = tag(videoStream->metadata, "timecode");
    if (!text)
        text = tag(ctx->metadata, "timecode");
    if (!text)
        return;
    if (track) {
        if (const char *reel = tag(track->metadata, "reel_name"))
            record.reelName = QString::fromUtf8(reel);
    }
    // The timecode counts at its own track's rate, else at the movie's.
    AVRational counting = track ? exactRate(track->avg_frame_rate) : AVRational{0, 0};
    if (counting.num <= 0)
        counting = video;
    if (counting.num <= 0 || video.num <= 0)
        return;
    const QString timecode = QString::fromUtf8(text);
    // The demuxer writes drop-frame timecode with ";" before the frames.
    const bool dropFrame = timecode.contains(u';');
    const auto frame = Timecode::frameNumber(timecode, std::llround(av_q2d(counting)), dropFrame);
    if (!frame)
        return;
    record.startTimecode = timecode;
    record.hasTimecode = true;
    record.dropFrame = dropFrame;
    // The same instant counted in frames of the movie's own rate.
    const long double at = static_cast<long double>(*frame) * counting.den * video.num /
                           (static_cast<long double>(counting.num) * video.den);
    record.startFrame = qint64(std::llround(at));
}

// "<primaries>-<transfer>-<matrix>" when the track gives all three.
QString colorTags(const AVCodecParameters *p) {
    const bool complete =
        p->color_primaries != AVCOL_PRI_RESERVED0 && p->color_primaries != AVCOL_PRI_UNSPECIFIED &&
        p->color_primaries != AVCOL_PRI_RESERVED && p->color_trc != AVCOL_TRC_RESERVED0 &&
        p->color_trc != AVCOL_TRC_UNSPECIFIED && p->color_trc != AVCOL_TRC_RESERVED &&
        p->color_space != AVCOL_SPC_UNSPECIFIED && p->color_space != AVCOL_SPC_RESERVED;
    if (!complete)
        return {};
    return QString::number(int(p->color_primaries)) + u'-' + QString::number(int(p->color_trc)) +
           u'-' + QString::number(int(p->color_space));
}

// The movie's length in seconds: the movie-wide duration in the header, else
// the longest track's; 0 when none is given.
double movieSeconds(const AVFormatContext *ctx) {
    if (ctx->duration != AV_NOPTS_VALUE && ctx->duration > 0)
        return double(ctx->duration) / AV_TIME_BASE;
    double seconds = 0;
    for (unsigned i = 0; i < ctx->nb_streams; ++i) {
        const AVStream *s = ctx->streams[i];
        if (s->duration != AV_NOPTS_VALUE && s->duration > 0)
            seconds = std::max(seconds, double(s->duration) * av_q2d(s->time_base));
    }
    return seconds;
}

// The video track's exact rate, picture size and colour tags, into
// `record`; returns the rate (0/0 when unknown).
AVRational readVideo(AVFormatContext *ctx, const AVStream *video, R3DMetadata &record) {
    AVRational rate = video->avg_frame_rate;
    if (rate.num <= 0 || rate.den <= 0)
        rate = video->r_frame_rate;
    rate = exactRate(rate);
    if (rate.num > 0) {
        record.rateNumerator = rate.num;
        record.rateDenominator = rate.den;
        record.frameRate = std::max<qint64>(1, std::llround(av_q2d(rate)));
    }
    if (video->codecpar->width <= 0 || video->codecpar->height <= 0) {
        // ProRes movies carry their picture size in the header; codecs that
        // keep it in the bitstream need a look at the first frame, bounded
        // so that it never becomes a pass over the file.
        ctx->probesize = 4 << 20;
        ctx->max_analyze_duration = AV_TIME_BASE / 2;
        avformat_find_stream_info(ctx, nullptr);
    }
    const double width = video->codecpar->width;
    const double height = video->codecpar->height;
    record.width = width > 0 ? qint64(std::trunc(width)) : 4096;
    record.height = height > 0 ? qint64(std::trunc(height)) : 2160;
    record.colorTags = colorTags(video->codecpar);
    return rate;
}

void readAudio(const AVFormatContext *ctx, R3DMetadata &record) {
    for (unsigned i = 0; i < ctx->nb_streams; ++i) {
        const AVStream *s = ctx->streams[i];
        if (s->codecpar->codec_type == AVMEDIA_TYPE_AUDIO &&
            !(s->disposition & AV_DISPOSITION_ATTACHED_PIC))
            record.audioTracks.append(
                AudioTrack{s->codecpar->ch_layout.nb_channels, s->codecpar->sample_rate});
    }
    record.hasAudio = !record.audioTracks.isEmpty();
}

} // namespace

R3DMetadata MediaProbe::readMetadata(const QString &path) {
    static std::once_flag quiet;
    std::call_once(quiet, [] { av_log_set_level(AV_LOG_QUIET); });

    R3DMetadata record = R3DMetadata::fallback();
    MovieInput input;
    if (!input.open(path))
        return record;
    const AVFormatContext *ctx = input.ctx;
    const double seconds = movieSeconds(ctx);
    const AVStream *video = firstStream(ctx, AVMEDIA_TYPE_VIDEO);
    const AVRational rate = video ? readVideo(input.ctx, video, record) : AVRational{0, 0};
    // The video track's own count of frames; else its length at the exact
    // rate (the whole rate when no rate could be read).
    if (video && video->nb_frames > 0) {
        record.frameCount = video->nb_frames;
    } else if (seconds > 0) {
        const double perSecond = rate.num > 0 ? av_q2d(rate) : double(record.frameRate);
        record.frameCount = qint64(std::llround(seconds * perSecond));
    }
    readTimecode(ctx, video, rate, record);
    readAudio(ctx, record);
    return record;
}

QString MediaProbe::unreadableReason(const QString &path) {
    static std::once_flag quiet;
    std::call_once(quiet, [] { av_log_set_level(AV_LOG_QUIET); });
    MovieInput input;
    if (!input.open(path))
        return QStringLiteral("not a complete QuickTime movie");
    AVFormatContext *ctx = input.ctx;
    const AVStream *video = firstStream(ctx, AVMEDIA_TYPE_VIDEO);
    if (!video)
        return QStringLiteral("no video track");
    const int64_t fileSize = std::max<qint64>(0, input.file->size());
    for (unsigned i = 0; i < ctx->nb_streams; ++i) {
        AVStream *s = ctx->streams[i];
        const int count = avformat_index_get_entries_count(s);
        if (s == video && count <= 0)
            return QStringLiteral("no frames");
        // A movie written with its header first and then cut short (a full
        // disk, a crash) still describes every frame: the last ones point
        // past the end of the file.
        for (int e = count - 1; e >= 0 && e >= count - 16; --e) {
            const AVIndexEntry *entry = avformat_index_get_entry(s, e);
            if (entry && entry->pos + entry->size > fileSize)
                return QStringLiteral("cut short");
        }
    }
    AVPacket *packet = av_packet_alloc();
    if (!packet)
        return QStringLiteral("cannot be read");
    bool readVideo = false;
    for (int n = 0; n < 64 && !readVideo && av_read_frame(ctx, packet) >= 0; ++n) {
        readVideo = packet->stream_index == video->index && packet->size > 0;
        av_packet_unref(packet);
    }
    av_packet_free(&packet);
    return readVideo ? QString() : QStringLiteral("its first frame cannot be read");
}
