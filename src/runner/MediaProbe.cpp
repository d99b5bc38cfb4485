#include "MediaProbe.h"

#include <QFile>
#include <algorithm>
#include <cmath>
#include <mutex>

extern "C" {
#include <libavformat/avformat.h>
#include <libavutil/log.h>
}

namespace {

struct FormatContext {
    AVFormatContext *ctx = nullptr;
    ~FormatContext() {
        if (ctx)
            avformat_close_input(&ctx);
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

} // namespace

R3DMetadata MediaProbe::readMetadata(const QString &path) {
    static std::once_flag quiet;
    std::call_once(quiet, [] { av_log_set_level(AV_LOG_QUIET); });

    R3DMetadata record = R3DMetadata::fallback();
    FormatContext input;
    // The QuickTime reader only: the outputs are always .mov, and probing
    // could mistake another file for some other kind of media.
    const AVInputFormat *mov = av_find_input_format("mov");
    if (avformat_open_input(&input.ctx, QFile::encodeName(path).constData(), mov, nullptr) < 0)
        return record;
    const AVFormatContext *ctx = input.ctx;
    double seconds = 0;
    if (ctx->duration != AV_NOPTS_VALUE && ctx->duration > 0) {
        seconds = double(ctx->duration) / AV_TIME_BASE;
    } else {
        // No movie-wide duration in the header: the longest track's.
        for (unsigned i = 0; i < ctx->nb_streams; ++i) {
            const AVStream *s = ctx->streams[i];
            if (s->duration != AV_NOPTS_VALUE && s->duration > 0)
                seconds = std::max(seconds, double(s->duration) * av_q2d(s->time_base));
        }
    }

    if (const AVStream *video = firstStream(ctx, AVMEDIA_TYPE_VIDEO)) {
        AVRational rate = video->avg_frame_rate;
        if (rate.num <= 0 || rate.den <= 0)
            rate = video->r_frame_rate;
        const float nominal = rate.num > 0 && rate.den > 0 ? float(av_q2d(rate)) : 0.0f;
        record.frameRate = nominal > 0 ? qint64(std::lround(nominal)) : 24;

        if (video->codecpar->width <= 0 || video->codecpar->height <= 0) {
            // ProRes movies carry their picture size in the header; codecs
            // that keep it in the bitstream need a look at the first frame,
            // bounded so that it never becomes a pass over the file.
            input.ctx->probesize = 4 << 20;
            input.ctx->max_analyze_duration = AV_TIME_BASE / 2;
            avformat_find_stream_info(input.ctx, nullptr);
        }
        const double width = video->codecpar->width;
        const double height = video->codecpar->height;
        record.width = width > 0 ? qint64(std::trunc(width)) : 4096;
        record.height = height > 0 ? qint64(std::trunc(height)) : 2160;
    }

    if (seconds > 0) {
        record.frameCount = qint64(std::llround(seconds * double(record.frameRate)));
    }

    record.hasAudio = firstStream(ctx, AVMEDIA_TYPE_AUDIO) != nullptr;
    return record;
}
