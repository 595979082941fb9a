#pragma once

#include "DateTime.h"

namespace kestrune {

class TSystemClock final : public IClock {
public:
    TDateTime UtcNow() const override;
};

} // namespace kestrune
