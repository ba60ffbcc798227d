#include "i18n/captions.h"

#include <cstring>

#include "i18n/panel_texts.h"

namespace tovan {
namespace {

constexpr Control_Caption Captions[] = {
    {"GroupBox1", {"Осциллограф", "Scope"}},
    {"StaticText_TimeDiv", {"Время/Дел", "Time/Div"}},
    {"SpeedButton_VoltsDiv", panel_text::Volts_Div},
    {"SpeedButton_Trigger", {"Синхронизация", "Trigger"}},
    {"SpeedButton_Run", {"Пуск", "RUN"}},
    {"SpeedButton_Sngl", {"Однокр.", "SINGLE"}},
    {"SpeedButton_TrigOn", {"Вкл.", "On"}},
    {"SpeedButton_TrigExt", {"Внешн.", "Ext."}},
    {"SpeedButton_Auto", {"Авто", "Auto"}},
    {"GroupBox2", {"Генератор", "Generator"}},
    {"SpeedButton_GenOn", {"Вкл.", "ON"}},
    {"SpeedButton_Mod", {"АМ/ЧМ", "Mod."}},
    {"SpeedButton_Pulse", {"Импульсы", "Pulse"}},
    {"SpeedButton_Sweep", {"ГКЧ", "Sweep"}},
    {"Menu_File", {"Файл", "File"}},
    {"Menu_Open", {"Открыть...", "Open..."}},
    {"Menu_Open_Settings", {"Открыть настройки...", "Open Settings..."}},
    {"Menu_Save_As", {"Сохранить...", "Save..."}},
    {"Menu_Save_Settings_As", {"Сохранить настройки...", "Save Settings..."}},
    {"Menu_Export", {"Экспорт", "Export"}},
    {"Menu_Image", {"Рисунок...", "Image..."}},
    {"Menu_Text", {"Текст...", "Text..."}},
    {"Menu_Row_Binary", {"Двоичный...", "Row Binary..."}},
    {"Menu_Recorder", {"Самописец...", "Recorder..."}},
    {"Menu_FMLog", {"Лог файл частотомера", "FM_Log"}},
    {"Menu_Exit", {"Выход", "Exit"}},
    {"Menu_Options", {"Настройки", "Options"}},
    {"Menu_Trigger", {"Синхронизация...", "Trigger..."}},
    {"Menu_FFTSet", {"БПФ...", "FFT..."}},
    {"Menu_GeneratorSet", {"Модуляция генератора...", "Generator Mod..."}},
    {"Menu_Sampling", {"Выборки", "Sampling"}},
    {"Menu_SmplNormal", {"Нормально", "Normal"}},
    {"Menu_SmplPeakDet", {"Пиковый детектор", "Peak Detect"}},
    {"Menu_Probe", {"Пробник", "Probe"}},
    {"Menu_x1", {"x1", "x1"}},
    {"Menu_x10", {"x10", "x10"}},
    {"Menu_x100", {"x100", "x100"}},
    {"Menu_Freqmeter", {"Частотомер", "Freq. Meter"}},
    {"Menu_FM_1input", {"Вход осциллографа", "Internal Trig."}},
    {"Menu_FM_2input", {"Вход внешн. синхр.", "Ext. Trig."}},
    {"Menu_FM_2inputHF", {"Вход внешн. синхр. ВЧ", "Ext. Trig. HF"}},
    {"Menu_TimeCalibrate", {"Калибровка частотомера...", "Time Calibrate..."}},
    {"Menu_ZeroCalibrate", {"Калибровка уровня нуля...", "Zero Calibrate..."}},
    {"Menu_TDCCalibrate", {"Калибровка TDC...", "TDC Calibrate..."}},
    {"Menu_View", {"Вид", "View"}},
    {"Menu_Markers_1", {"Маркеры", "Markers 1"}},
    {"Menu_Markers_2", {"Маркеры двойные", "Markers 2"}},
    {"Menu_Measure", {"Автоизмерения", "Measure"}},
    {"Menu_ExtTrig", {"Сигнал на входе внешн. синхр.", "Ext. Trig."}},
    {"Menu_Grid", {"Сетка", "Grid"}},
    {"Menu_TrigPosL", {"Линия синхронизации", "Trig. Position"}},
    {"Menu_Smpl_Info", {"Информация о выборках", "Sampling Info"}},
    {"Menu_BG_View", {"Фоновая осциллограмма", "B.G. Oscillogram"}},
    {"Menu_Dots", {"Точки", "Dots"}},
    {"Menu_Vectors", {"Векторы", "Vectors"}},
    {"Menu_Sinxx", {"Интерполяция Sin(x)/x", "Sin(x)/x"}},
    {"Menu_FFT", {"БПФ", "FFT"}},
    {"Menu_Lenta", {"Лента (0.1 .. 20 S/Div)", "Scroll (0.1 .. 20 S/Div)"}},
    {"Menu_BG_Do", {"Обменять с фоновой", "Main <-> B.G. Oscillogram"}},
    {"Menu_Colors", {"Цвета...", "Colors..."}},
    {"Menu_On_Top", {"Поверх других окон", "Always On Top"}},
    {"Menu_Language", {"Language", "Language"}},
    {"Menu_Russian", {"Русский", "Russian"}},
    {"Menu_English", {"English", "English"}},
    {"Menu_Compact", {"Компактный вид", "Compact View"}},
    {"Menu_Help", {"Справка", "Help"}},
    {"Menu_Help_Contents", {"Вызов справки", "Contents"}},
    {"Menu_About", {"О программе...", "About..."}},
};

}  // namespace

std::span<const Control_Caption> Main_Window_Captions() { return Captions; }

const Text_Pair* Find_Caption(const char* control) {
    for (const auto& c : Captions)
        if (std::strcmp(c.control, control) == 0) return &c.text;
    return nullptr;
}

}  // namespace tovan
