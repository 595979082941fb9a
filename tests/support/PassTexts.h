#pragma once

#include "core/PassList.h"

#include <string>
#include <vector>

namespace kestrune::test {

// The lines of the list's passes, in its order.
inline std::vector<std::string> PassTexts(const TPassList& list) {
    std::vector<std::string> texts;
    for (const TPassLine& pass : list.Passes())
        texts.push_back(pass.Text);
    return texts;
}

} // namespace kestrune::test
