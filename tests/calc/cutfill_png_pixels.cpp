// Prints what a PNG written by nivora-cli cutfill-map holds, for the end to
// end test: "W H" on the first line, then "x,y index #rrggbb" for each x,y
// given. The index is -1 when the file has no palette.

#include <QImage>
#include <QString>

#include <cstdio>

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "uso: cutfill_png_pixels ARQUIVO.png [x,y ...]\n");
        return 64;
    }
    const QImage image(QString::fromLocal8Bit(argv[1]));
    if (image.isNull()) {
        std::fprintf(stderr, "não foi possível ler %s\n", argv[1]);
        return 1;
    }
    std::printf("%d %d\n", image.width(), image.height());
    for (int i = 2; i < argc; ++i) {
        int x = 0, y = 0;
        if (std::sscanf(argv[i], "%d,%d", &x, &y) != 2 || !image.valid(x, y)) {
            std::fprintf(stderr, "ponto inválido: %s\n", argv[i]);
            return 64;
        }
        const QRgb c = image.pixel(x, y);
        const int index = image.format() == QImage::Format_Indexed8 ? image.pixelIndex(x, y) : -1;
        std::printf("%d,%d %d #%02x%02x%02x\n", x, y, index, qRed(c), qGreen(c), qBlue(c));
    }
    return 0;
}
