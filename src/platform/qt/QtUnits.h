#pragma once
// Twips to pixels and back at the screen's logical resolution: 1440 twips
// make an inch. Each edge and size is rounded on its own.

#include <QRect>
#include <QtGlobal>

#include "platform/Toolkit.h"

namespace tamrel::qt {

struct Units {
    double twipsPerPixel = 15;  // 96 dots per inch

    int Pixels(ui::Twips twips) const { return qRound(twips / twipsPerPixel); }
    ui::Twips Twips(int pixels) const { return pixels * twipsPerPixel; }

    QRect Pixels(const ui::Rect& rect) const {
        return QRect(Pixels(rect.left), Pixels(rect.top), Pixels(rect.width), Pixels(rect.height));
    }
    ui::Rect Twips(const QRect& rect) const {
        return {Twips(rect.x()), Twips(rect.y()), Twips(rect.width()), Twips(rect.height())};
    }
};

}  // namespace tamrel::qt
