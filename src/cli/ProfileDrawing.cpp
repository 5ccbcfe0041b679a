// nivora-cli-draw: the profile's chart as SVG.

#include "Drawing.h"
#include "CliCommon.h"
#include "PrintOutput.h"

#include "calc/Profile.h"
#include "calc/ProfileChart.h"

#include <QBuffer>
#include <QPainter>
#include <QSvgGenerator>

#include <stdexcept>

namespace nivora::cli {

int ProfileChart(const TArgs& a)
{
    const auto app = NeedGuiApplication();
    return ProfileCommand(a, [&](const TProfile& profile) {
        // A sheet's proportions, wide enough for long lines' stations.
        const QSize size(1200, 600);
        QByteArray bytes;
        QBuffer buffer(&bytes);
        QSvgGenerator svg;
        svg.setOutputDevice(&buffer);
        svg.setSize(size);
        svg.setViewBox(QRect(QPoint(0, 0), size));
        svg.setResolution(96);
        svg.setTitle(QStringLiteral("Perfil"));
        {
            QPainter painter(&svg);
            if (!painter.isActive())
                throw std::runtime_error("Não foi possível desenhar o perfil em SVG.");
            TProfileChartOptions o;
            o.DecimalSeparator = LocaleSeparator(a);
            DrawProfileChart(painter, profile, QRectF(QPointF(0, 0), QSizeF(size)), o);
        }
        return std::vector<std::uint8_t>(bytes.begin(), bytes.end());
    });
}

}  // namespace nivora::cli
