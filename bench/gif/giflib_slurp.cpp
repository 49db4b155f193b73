// giflib's side of the whole-program decoding benchmark: a program that only reads a file with
// DGifSlurp, which decodes every frame, and exits 0 when giflib read it without error.
#include <gif_lib.h>

int main(int argc, char** argv) {
    if (argc != 2)
        return 2;
    int error = 0;
    GifFileType* gif = DGifOpenFileName(argv[1], &error);
    if (gif == nullptr)
        return 1;
    const bool read = DGifSlurp(gif) == GIF_OK;
    return DGifCloseFile(gif, &error) == GIF_OK && read ? 0 : 1;
}
