#include "core/PassList.h"

#include "core/Text.h"

#include <algorithm>
#include <cerrno>
#include <fstream>
#include <system_error>

namespace kestrune {

namespace {

bool LessText(const TPassLine& a, const TPassLine& b) {
    return CompareTextAscii(a.Text, b.Text) < 0;
}

} // namespace

const TPassLine& TPassList::Pass(int index) const {
    if (index < 0 || index >= Count())
        throw std::out_of_range("List index out of bounds (" + std::to_string(index) + ")");
    return FPasses[static_cast<std::size_t>(index)];
}

int TPassList::Add(TPassLine pass) {
    const auto at = std::upper_bound(FPasses.begin(), FPasses.end(), pass, LessText);
    const int index = static_cast<int>(at - FPasses.begin());
    FPasses.insert(at, std::move(pass));
    if (FItemIndex >= index)
        ++FItemIndex;
    Changed();
    return index;
}

void TPassList::Delete(int index) {
    Pass(index);
    FPasses.erase(FPasses.begin() + index);
    if (FItemIndex == index)
        FItemIndex = -1;
    else if (FItemIndex > index)
        --FItemIndex;
    Changed();
}

void TPassList::Clear() {
    FPasses.clear();
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

void TScheduleList::Assign(const std::vector<TPassLine>& passes) {
    FPasses.clear();
    for (const TPassLine& pass : passes) {
        const auto at = std::lower_bound(FPasses.begin(), FPasses.end(), pass, LessText);
        if (at == FPasses.end() || CompareTextAscii(at->Text, pass.Text) != 0)
            FPasses.insert(at, pass);
    }
}

void ReplaceFile(const std::filesystem::path& path, const std::string& bytes) {
    std::error_code ignored;
    const std::filesystem::path fullPath = std::filesystem::absolute(path, ignored);
    auto failure = [&](const char* what, const std::error_code& error) {
        return EFileError(std::string(what) + " \"" + Utf8FromPath(fullPath) + "\". " +
                          error.message());
    };
    // The streams leave the system's reason in errno.
    auto streamError = [] { return std::error_code(errno, std::generic_category()); };

    // Written beside the file and renamed over it, so a failure leaves the old file whole.
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

void TScheduleList::SaveToFile(const std::filesystem::path& path, const TLocaleInfo& locale) const {
    std::string bytes;
    for (const TPassLine& pass : FPasses)
        bytes += locale.ToSystemCharset(pass.Text) + "\r\n";
    ReplaceFile(path, bytes);
}

} // namespace kestrune
