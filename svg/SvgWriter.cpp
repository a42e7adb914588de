#include "svg/SvgWriter.h"

#include <QPainter>
#include <QSvgGenerator>

extern "C" Q_DECL_EXPORT bool VarnockWriteSvg(QIODevice& Device, int Width, int Height,
                                              const QString& Title, Varnock::DrawFunction Draw,
                                              void* Context) {
    QSvgGenerator Svg;
    Svg.setOutputDevice(&Device);
    Svg.setSize(QSize(Width, Height));
    Svg.setViewBox(QRect(0, 0, Width, Height));
    Svg.setTitle(Title);
    QPainter Painter;
    if (!Painter.begin(&Svg))
        return false;
    Draw(Context, Painter);
    return Painter.end();
}
