#pragma once
// Values taken from the status block of every accepted frame.
#include <array>
#include <cstdint>

namespace tovan {

struct Status_Values {
    std::array<uint8_t, 5> Serial_Bytes{0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
    bool Serial_Valid = false;
    int32_t TDC_Rise_Read = 0;
    int32_t TDC_Fall_Read = 0;
    bool TDC_Valid = false;
    int32_t Vcc_10mV = 0;
    bool Vcc_Present = false;
    int32_t TDC_Fine = 0;
};

}  // namespace tovan
