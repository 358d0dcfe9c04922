// The icon the desktop shows (the installed SVG) is the picture the window shows.

#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <QSvgRenderer>
#include <cstdlib>

#include "common/Icons.h"

namespace kvaril {
namespace {

QImage Render(QSvgRenderer& svg, int size) {
    QImage image(size, size, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    svg.render(&painter);
    return image;
}

// Mean difference per channel, 0 to 255; antialiasing of the two renderers differs a little.
double MeanDifference(const QImage& a, const QImage& b) {
    double sum = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QColor p = a.pixelColor(x, y), q = b.pixelColor(x, y);
            sum += std::abs(p.red() - q.red()) + std::abs(p.green() - q.green()) +
                   std::abs(p.blue() - q.blue()) + std::abs(p.alpha() - q.alpha());
        }
    return sum / (4.0 * a.width() * a.height());
}

TEST(ApplicationIcon, DesktopSvgIsTheWindowIcon) {
    QSvgRenderer svg(QStringLiteral(KVARIL_SOURCE_DIR "/desktop/kvaril.svg"));
    ASSERT_TRUE(svg.isValid());
    for (int size : {16, 32, 64}) {
        const QImage window = ApplicationIcon()
                                  .pixmap(size, size)
                                  .toImage()
                                  .convertToFormat(QImage::Format_ARGB32)
                                  .scaled(size, size);
        const QImage desktop = Render(svg, size);
        EXPECT_LT(MeanDifference(window, desktop), 4.0) << size << " px";
        // A blank or unrelated picture differs by far more.
        QImage blank(size, size, QImage::Format_ARGB32);
        blank.fill(QColor(20, 40, 30));
        EXPECT_GT(MeanDifference(window, blank), 12.0) << size << " px";
    }
}

}  // namespace
}  // namespace kvaril
