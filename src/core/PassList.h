#pragma once
// The pass list (the list box the window shows, line 0 the next pass) and the schedule list
// (the copy that is written to the schedule file).

#include "core/LocaleInfo.h"
#include "core/PassLine.h"

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace kestrune {

// Passes kept in ascending order of their lines' text, compared without regard to case, with
// one selected pass or none (-1). A change is announced through OnChange, except between
// BeginUpdate and EndUpdate, where one announcement comes at the end.
class TPassList {
public:
    int Count() const { return static_cast<int>(FPasses.size()); }
    bool Empty() const { return FPasses.empty(); }
    // Throws std::out_of_range for an index that has no pass.
    const TPassLine& Pass(int index) const;
    const std::vector<TPassLine>& Passes() const { return FPasses; }

    // Inserts the pass at its sorted place (after equal ones) and returns its index.
    int Add(TPassLine pass);
    void Delete(int index);
    void Clear();

    int ItemIndex() const { return FItemIndex; }
    void SetItemIndex(int index);

    void BeginUpdate() { ++FUpdateCount; }
    void EndUpdate();
    void SetOnChange(std::function<void()> onChange) { FOnChange = std::move(onChange); }

private:
    void Changed();

    std::vector<TPassLine> FPasses;
    int FItemIndex = -1;
    int FUpdateCount = 0;
    bool FChangedDuringUpdate = false;
    std::function<void()> FOnChange;
};

class EFileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Writes the bytes to the file whole or not at all: to a temporary file beside it, renamed over
// it. A failure throws EFileError: "Cannot create file \"<full path>\". " and the system's reason.
void ReplaceFile(const std::filesystem::path& path, const std::string& bytes);

// Sorted without regard to case; a pass whose line equals one already there is not added.
class TScheduleList {
public:
    void Assign(const std::vector<TPassLine>& passes);
    const std::vector<TPassLine>& Passes() const { return FPasses; }
    // Every line ended by CR LF, in the locale's character set, no byte-order mark. The file is
    // replaced whole or not at all; a failure throws EFileError with the system's reason.
    void SaveToFile(const std::filesystem::path& path, const TLocaleInfo& locale) const;

private:
    std::vector<TPassLine> FPasses;
};

} // namespace kestrune
