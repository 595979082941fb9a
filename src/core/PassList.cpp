#include "core/PassList.h"

#include "core/Text.h"

#include <algorithm>
#include <cerrno>
#include <fstream>
#include <system_error>

namespace kestrune {

namespace {

bool LessText(const std::string& a, const std::string& b) {
    return CompareTextAscii(a, b) < 0;
}

} // namespace

const std::string& TPassList::Line(int index) const {
    if (index < 0 || index >= Count())
        throw std::out_of_range("List index out of bounds (" + std::to_string(index) + ")");
    return FLines[static_cast<std::size_t>(index)];
}

int TPassList::Add(const std::string& line) {
    const auto at = std::upper_bound(FLines.begin(), FLines.end(), line, LessText);
    const int index = static_cast<int>(at - FLines.begin());
    FLines.insert(at, line);
    if (FItemIndex >= index)
        ++FItemIndex;
    Changed();
    return index;
}

void TPassList::Delete(int index) {
    Line(index);
    FLines.erase(FLines.begin() + index);
    if (FItemIndex == index)
        FItemIndex = -1;
    else if (FItemIndex > index)
        --FItemIndex;
    Changed();
}

void TPassList::Clear() {
    FLines.clear();
    FItemIndex = -1;
    Changed();
}

void TPassList::SetItemIndex(int index) {
    FItemIndex = index >= 0 && index < Count() ? index : -1;
    Changed();
}

void TPassList::EndUpdate() {
    if (FUpdateCount > 0 && --FUpdateCount == 0 && FChangedDuringUpdate) {
        FChangedDuringUpdate = false;
        Changed();
    }
}

void TPassList::Changed() {
    if (FUpdateCount > 0)
        FChangedDuringUpdate = true;
    else if (FOnChange)
        FOnChange();
}

void TScheduleList::Assign(const std::vector<std::string>& lines) {
    FLines.clear();
    for (const std::string& line : lines) {
        const auto at = std::lower_bound(FLines.begin(), FLines.end(), line, LessText);
        if (at == FLines.end() || CompareTextAscii(*at, line) != 0)
            FLines.insert(at, line);
    }
}

void TScheduleList::SaveToFile(const std::filesystem::path& path, const TLocaleInfo& locale) const {
    std::error_code ignored;
    const std::filesystem::path fullPath = std::filesystem::absolute(path, ignored);
    auto failure = [&](const char* what, const std::error_code& error) {
        return EFileError(std::string(what) + " \"" + Utf8FromPath(fullPath) + "\". " +
                          error.message());
    };
    // The streams leave the system's reason in errno.
    auto streamError = [] { return std::error_code(errno, std::generic_category()); };
    std::string bytes;
    for (const std::string& line : FLines)
        bytes += locale.ToSystemCharset(line) + "\r\n";

    // Written beside the file and renamed over it, so a failure leaves the old schedule whole.
    std::filesystem::path temp = fullPath;
    temp += ".tmp";
    std::ofstream file(temp, std::ios::binary | std::ios::trunc);
    if (!file)
        throw failure("Cannot create file", streamError());
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    file.close();
    if (!file) {
        const std::error_code error = streamError();
        std::filesystem::remove(temp, ignored);
        throw failure("Cannot write file", error);
    }
    std::error_code renameError;
    std::filesystem::rename(temp, fullPath, renameError);
    if (renameError) {
        std::filesystem::remove(temp, ignored);
        throw failure("Cannot create file", renameError);
    }
}

} // namespace kestrune
