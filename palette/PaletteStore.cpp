#include "palette/PaletteStore.h"

#include <algorithm>

std::shared_ptr<CSmartArray> MakePalette8(std::span<const uint8_t, 768> bytes) {
    auto list = std::make_shared<CSmartArray>();
    // The file holds 6-bit components; four times each gives the 0..252 range of a screen colour.
    const auto scaled = [](uint8_t component) { return static_cast<uint8_t>(std::min(component * 4, 255)); };
    for (size_t i = 0; i < 256; ++i) {
        auto colour = std::make_shared<C_udtCol8>();
        colour->LetR(scaled(bytes[i * 3]));
        colour->LetG(scaled(bytes[i * 3 + 1]));
        colour->LetB(scaled(bytes[i * 3 + 2]));
        list->AddOneItem(std::shared_ptr<SmartObject>(std::move(colour)));
    }
    return list;
}

std::shared_ptr<CSmartArray> MakePalette16(std::span<const uint8_t, 1024> bytes) {
    auto list = std::make_shared<CSmartArray>();
    for (size_t i = 0; i < 256; ++i) {
        auto colour = std::make_shared<C_udtCol16>();
        colour->LetR(bytes[i * 4]);
        colour->LetG(bytes[i * 4 + 1]);
        colour->LetB(bytes[i * 4 + 2]);
        colour->LetA(bytes[i * 4 + 3]);
        list->AddOneItem(std::shared_ptr<SmartObject>(std::move(colour)));
    }
    return list;
}
