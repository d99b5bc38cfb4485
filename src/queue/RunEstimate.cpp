#include "RunEstimate.h"

#include <QCoreApplication>

#include <algorithm>
#include <chrono>
#include <cmath>

RunEstimate::RunEstimate(Clock clock) : m_clock(std::move(clock)) {
    if (!m_clock) {
        m_clock = [] {
            return qint64(std::chrono::duration_cast<std::chrono::milliseconds>(
                              std::chrono::steady_clock::now().time_since_epoch())
                              .count());
        };
    }
}

void RunEstimate::begin() {
    m_runStart = m_clock();
    m_converting = false;
    m_measuredMs = 0;
    m_measuredBytes = 0;
}

void RunEstimate::fileStarted(qint64 sourceBytes) {
    m_fileStart = m_clock();
    m_fileBytes = qMax<qint64>(sourceBytes, 0);
    m_converting = true;
}

void RunEstimate::fileFinished(bool converted) {
    if (!m_converting)
        return;
    m_converting = false;
    if (converted) {
        m_measuredMs += qMax<qint64>(m_clock() - m_fileStart, 0);
        m_measuredBytes += m_fileBytes;
    }
}

std::optional<qint64> RunEstimate::remainingMs(double currentProgress, qint64 waitingBytes) const {
    // A converted file of no bytes (its size could not be read) gives no rate.
    if (m_measuredBytes <= 0)
        return std::nullopt;
    double bytesLeft = double(qMax<qint64>(waitingBytes, 0));
    if (m_converting)
        bytesLeft += double(m_fileBytes) * (1.0 - std::clamp(currentProgress, 0.0, 1.0));
    return qint64(std::llround(bytesLeft * double(m_measuredMs) / double(m_measuredBytes)));
}

qint64 RunEstimate::elapsedMs() const {
    return qMax<qint64>(m_clock() - m_runStart, 0);
}

QString RunEstimate::durationText(qint64 ms) {
    const qint64 seconds = (qMax<qint64>(ms, 0) + 500) / 1000;
    if (seconds < 60)
        return QString::number(seconds) + u" s";
    const qint64 minutes = (seconds + 30) / 60;
    if (minutes < 60)
        return QString::number(minutes) + u" min";
    const QString hours = QString::number(minutes / 60) + u" h";
    return minutes % 60 == 0 ? hours : hours + u' ' + QString::number(minutes % 60) + u" min";
}

QString RunEstimate::remainingText(std::optional<qint64> ms) {
    if (!ms)
        return {};
    if (*ms < 60'000)
        return QCoreApplication::translate("RunEstimate", "Less than a minute left");
    return QCoreApplication::translate("RunEstimate", "About %1 left").arg(durationText(*ms));
}
