// ICO/CUR containers read into the resource-form graphics, every image turned into an
// image resource, read back as a picture, drawn and written again; the same bytes read
// as a BMP file and as DIB and RT_BITMAP resources. A refusal is one of the program's
// exceptions; anything else (a crash, a read outside the input, another exception) is
// a finding, and so is a written container that cannot be read back.

#include "peres/BitmapResources.h"
#include "peres/IconGroupResources.h"

#include <cstdlib>

namespace {

using namespace pictavo;

std::unique_ptr<TIconCursorResourceDetails> ImageResource(bool icon, const TExIconImage& image) {
    const std::vector<uint8_t>& bytes = image.ImageData().Bytes();
    if (icon)
        return CreateWithData<TIconResourceDetails>(nullptr, 0, "1", "3", bytes.size(),
                                                    bytes.data());
    return CreateWithData<TCursorResourceDetails>(nullptr, 0, "1", "1", bytes.size(), bytes.data());
}

void ExerciseImage(bool icon, TExIconImage& image, platform::Surface& canvas) {
    image.Palette();
    if (const platform::IconHandle* handle = image.Handle())
        platform::DrawIcon(canvas, 0, 0, *handle);
    const auto resource = ImageResource(icon, image);
    try {
        resource->ImageWidth();
        resource->ImageHeight();
        resource->ImagePixelFormat();
        TPicture picture;
        resource->ReadPicture(picture);
        if (picture.IconGraphic) {
            resource->WritePicture(picture);
            PictureAsBitmapFile(picture);
        }
    } catch (const Exception&) {
    }
}

void ExerciseContainer(bool icon, const uint8_t* data, size_t size) {
    std::unique_ptr<TExIconCursor> graphic;
    if (icon)
        graphic = std::make_unique<TExIcon>();
    else
        graphic = std::make_unique<TExCursor>();
    ByteViewStream stream(data, size);
    try {
        graphic->LoadFromStream(stream);
    } catch (const Exception&) {
        return;
    }
    auto canvas = platform::Surface::Create(64, 64);
    for (int i = 0; i < graphic->ImageCount(); ++i)
        ExerciseImage(icon, graphic->Image(i), *canvas);
    if (graphic->ImageCount() > 0)
        graphic->Draw(*canvas, {0, 0, 64, 64});

    MemoryStream written;
    try {
        graphic->SaveToStream(written);
    } catch (const Exception&) {
        return;
    }
    written.SetPosition(0);
    std::unique_ptr<TExIconCursor> reread;
    if (icon)
        reread = std::make_unique<TExIcon>();
    else
        reread = std::make_unique<TExCursor>();
    reread->LoadFromStream(written); // must not raise: it was written from loaded images
    if (reread->ImageCount() != graphic->ImageCount())
        std::abort();
}

void ExerciseBitmap(const uint8_t* data, size_t size) {
    TPixelFormat format = TPixelFormat::pfDevice;
    try {
        LoadBitmapFile(data, size, format);
    } catch (const Exception&) {
    }
    TPicture picture;
    const auto bitmap = CreateWithData<TBitmapResourceDetails>(nullptr, 0, "1", "2", size, data);
    try {
        bitmap->ImagePixelFormat();
        bitmap->ReadPicture(picture);
        bitmap->WritePicture(picture);
    } catch (const Exception&) {
    }
    if (TDIBResourceDetails::RecognisesData(size, data)) {
        const auto dib = CreateWithData<TDIBResourceDetails>(nullptr, 0, "1", "DIB", size, data);
        try {
            dib->ImageWidth();
            dib->ReadPicture(picture);
        } catch (const Exception&) {
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    ExerciseContainer(true, data, size);
    ExerciseContainer(false, data, size);
    ExerciseBitmap(data, size);
    return 0;
}
