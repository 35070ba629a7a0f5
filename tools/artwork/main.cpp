#include "tools/artwork/LedCell.h"
#include "tools/artwork/LetterStrip.h"
#include "tools/artwork/Lever.h"
#include "tools/artwork/MakerLogo.h"
#include "tools/artwork/OutlineFont.h"
#include "tools/artwork/ProgramIcon.h"
#include "tools/artwork/TitlePlate.h"

#include <QColorSpace>
#include <QDir>
#include <QGuiApplication>
#include <QImage>

#include <cstdio>
#include <cstdlib>
#include <stdexcept>

namespace {

const QString urw = QStringLiteral("/usr/share/fonts/opentype/urw-base35/");

void save(const QDir& directory, const QString& name, QImage image)
{
    // Nothing in the files may change from run to run or from machine to machine.
    image.setDotsPerMeterX(3780); // 96 dpi, instead of whatever the screen says
    image.setDotsPerMeterY(3780);
    image.setColorSpace(QColorSpace());
    const QString path = directory.filePath(name);
    if (!image.save(path, "PNG"))
        throw std::runtime_error(QStringLiteral("cannot write %1").arg(path).toStdString());
}

} // namespace

int main(int argc, char** argv)
{
    // Only the font machinery is needed, never a window.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);

    if (argc != 2) {
        std::fprintf(stderr, "usage: draw_artwork <assets directory>\n");
        return EXIT_FAILURE;
    }
    const QDir directory(QString::fromLocal8Bit(argv[1]));
    if (!directory.exists()) {
        std::fprintf(stderr, "draw_artwork: no such directory: %s\n", argv[1]);
        return EXIT_FAILURE;
    }

    try {
        const OutlineFont sansBold(urw + "NimbusSans-Bold.otf", QStringLiteral("fonts-urw-base35"));
        const OutlineFont serifBold(urw + "P052-Bold.otf", QStringLiteral("fonts-urw-base35"));
        const OutlineFont script(urw + "Z003-MediumItalic.otf", QStringLiteral("fonts-urw-base35"));

        const LetterStrip strip(sansBold);
        save(directory, "abc.png", strip.letters());
        save(directory, "mask.png", strip.mask());
        save(directory, "led_front.png", LedCell::lit().image());
        save(directory, "led_back.png", LedCell::unlit().image());
        const TitlePlate title(serifBold);
        save(directory, "title_a.png", title.bright());
        save(directory, "title_b.png", title.dim());
        save(directory, "icon.png", ProgramIcon(sansBold).image());
        for (const int pixels : ProgramIcon::themeSizes)
            if (pixels != ProgramIcon::size)
                save(directory, QStringLiteral("icon_%1.png").arg(pixels), ProgramIcon(sansBold, pixels).image());
        save(directory, "lever.png", Lever().image());
        save(directory, "quillon.png", MakerLogo(script).image());
    } catch (const std::exception& error) {
        std::fprintf(stderr, "draw_artwork: %s\n", error.what());
        return EXIT_FAILURE;
    }
    return EXIT_SUCCESS;
}
