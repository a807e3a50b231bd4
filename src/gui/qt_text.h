#pragma once
// Conversions between the models' values and Qt's: UTF-8 texts, twips and
// pixels, 0xBBGGRR colours.

#include <QColor>
#include <QString>
#include <string>

namespace gui {

inline QString ToQt(const std::string& text) { return QString::fromStdString(text); }
inline std::string FromQt(const QString& text) { return text.toStdString(); }

// Line breaks written as CR LF show as one break.
inline QString ToQtLines(const std::string& text) {
    return ToQt(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

// Twips are 1/1440 inch; Qt's device-independent pixel is 1/96 inch.
inline constexpr int kTwipsPerPixel = 15;
inline int PixelsFromTwips(int twips) {
    return (twips >= 0 ? twips + kTwipsPerPixel / 2 : twips - kTwipsPerPixel / 2) / kTwipsPerPixel;
}
inline int TwipsFromPixels(int pixels) { return pixels * kTwipsPerPixel; }

inline QColor ColorFromBgr(int bgr) {
    return QColor(bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF);
}

}  // namespace gui
