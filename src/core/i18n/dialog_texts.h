#pragma once
// Texts of the FFT settings, colour settings and about dialogs (Russian,
// English).
#include "i18n/text_pair.h"

namespace tovan {

namespace fft_text {
inline constexpr Text_Pair Window{"Установки БПФ", "FFT Settings"};
inline constexpr Text_Pair Size{"Размер", "Size"};
inline constexpr Text_Pair Win{"Весовое окно", "Window"};
inline constexpr Text_Pair Win_Items[3] = {
    {"Прямоугольное", "Rectangular"}, {"Ханна", "Hann"}, {"Плоское", "Flat top"}};
inline constexpr Text_Pair Scale{"По вертикали", "Scale"};
inline constexpr Text_Pair Scale_Items[3] = {
    {"дБВ", "dBV"}, {"дБм (600 Ом)", "dBm (600 Ohm)"}, {"дБм (50 Ом)", "dBm (50 Ohm)"}};
inline constexpr Text_Pair Cancel{"Отмена", "Cancel"};
}  // namespace fft_text

namespace color_text {
inline constexpr Text_Pair Window{"Установки цветов", "Color Settings"};
// In the order of the fields of Color_Set.
inline constexpr Text_Pair Fields[10] = {
    {"Фон сетки", "Background"},   {"Фон полей", "Border"},          {"Сигнал", "Signal"},
    {"Маркеры", "Markers"},        {"Сетка", "Grid"},                {"Рамка сетки", "Grid frame"},
    {"Линия синхр.", "Trig. position"}, {"Сиг. синхр.", "Ext. trig. sig."}, {"БПФ", "FFT"},
    {"Инф. о выб.", "Smpl. info"}};
inline constexpr Text_Pair Cancel{"Отмена", "Cancel"};
inline constexpr Text_Pair Default{"По умолч.", "Default"};
}  // namespace color_text

namespace about_text {
inline constexpr Text_Pair Window{"О программе", "About"};
inline constexpr Text_Pair Product{"Tovan1", "Product Name      Tovan1"};
inline constexpr Text_Pair Software{"Версия программы  ", "Software Version  "};
inline constexpr Text_Pair Firmware{"Версия ПО устройства  ", "Firmware Version  "};
inline constexpr Text_Pair FPGA{"Версия FPGA устройства  ", "FPGA Version  "};
inline constexpr Text_Pair Serial{"Серийный номер устройства  ", "Serial Number  "};
}  // namespace about_text

}  // namespace tovan
