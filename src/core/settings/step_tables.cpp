#include "settings/step_tables.h"

namespace tovan {

const std::array<Time_Step, Time_Step_Count> Time_Steps = {{
    {"SpeedButton_20S", "20S", "20S", 20000000000ULL},
    {"SpeedButton_10S", "10S", "10S", 10000000000ULL},
    {"SpeedButton_5S", "5S", "5S", 5000000000ULL},
    {"SpeedButton_2S", "2S", "2S", 2000000000ULL},
    {"SpeedButton_1S", "1S", "1S", 1000000000ULL},
    {"SpeedButton_500mS", "0,5S", "500mS", 500000000ULL},
    {"SpeedButton_200mS", "0,2S", "200mS", 200000000ULL},
    {"SpeedButton_100mS", "0,1S", "100mS", 100000000ULL},
    {"SpeedButton_50mS", "50mS", "50mS", 50000000ULL},
    {"SpeedButton_20mS", "20mS", "20mS", 20000000ULL},
    {"SpeedButton_10mS", "10mS", "10mS", 10000000ULL},
    {"SpeedButton_5mS", "5mS", "5mS", 5000000ULL},
    {"SpeedButton_2mS", "2mS", "2mS", 2000000ULL},
    {"SpeedButton_1mS", "1mS", "1mS", 1000000ULL},
    {"SpeedButton_05mS", "0,5mS", "05mS", 500000ULL},
    {"SpeedButton_02mS", "0,2mS", "02mS", 200000ULL},
    {"SpeedButton_01mS", "0,1mS", "01mS", 100000ULL},
    {"SpeedButton_50uS", "50uS", "50uS", 50000ULL},
    {"SpeedButton_20uS", "20uS", "20uS", 20000ULL},
    {"SpeedButton_10uS", "10uS", "10uS", 10000ULL},
    {"SpeedButton_5uS", "5uS", "5uS", 5000ULL},
    {"SpeedButton_2uS", "2uS", "2uS", 2000ULL},
    {"SpeedButton_1uS", "1uS", "1uS", 1000ULL},
    {"SpeedButton_05uS", "0,5uS", "05uS", 500ULL},
    {"SpeedButton_02uS", "0,2uS", "02uS", 200ULL},
    {"SpeedButton_01uS", "0,1uS", "01uS", 100ULL},
    {"SpeedButton_50nS", "50nS", "50nS", 50ULL},
}};

const std::array<Volts_Step, Volts_Step_Count> Volts_Steps = {{
    {"SpeedButton_2V", "2V", 2000000, 3, {"2V", "20V", "200V"}},
    {"SpeedButton_1V", "1V", 1000000, 7, {"1V", "10V", "100V"}},
    {"SpeedButton_05V", "05V", 500000, 6, {"0.5V", "5V", "50V"}},
    {"SpeedButton_02V", "02V", 200000, 4, {"0.2V", "2V", "20V"}},
    {"SpeedButton_100mV", "100mV", 100000, 1, {"100mV", "1V", "10V"}},
    {"SpeedButton_50mV", "50mV", 50000, 0, {"50mV", "0.5V", "5V"}},
}};

}  // namespace tovan
