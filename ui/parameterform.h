#pragma once

// The parameters window's widgets of each fact, by their object names in forlodra02.ui: the
// entry and label of every parameter and the option of every choice. The window and its
// tests find the widgets through this table; what the widgets say comes from
// calc/parameters.h.

#include <array>
#include <cstddef>

#include "calc/parameters.h"

namespace lodra {

struct ParameterWidgets {
    InputField field;
    const char* entry;  // a QLineEdit
    const char* label;  // the QLabel that announces it
};

// In the order of kParameterTable.
inline constexpr std::array<ParameterWidgets, kParameterTable.size()> kParameterWidgets = {{
    {InputField::totaltid, "txtTotaltid", "Label1"},
    {InputField::bonitet, "txtBon", "Label2"},
    {InputField::areal, "txtAreal", "Label3"},
    {InputField::ranta, "txtRant", "Label4"},
    {InputField::maxRing, "txtRing", "Label5"},
    {InputField::variation, "txtVari", "Label7"},
    {InputField::atervandel, "txtAtervandel", "Label9"},
    {InputField::berikning, "txtBerik", "Label12"},
    {InputField::cykTillAvv, "txtCyktillavv", "Label11"},
}};

static_assert(
    [] {
        for (std::size_t i = 0; i < kParameterTable.size(); ++i) {
            if (kParameterWidgets[i].field != kParameterTable[i].field) {
                return false;
            }
        }
        return true;
    }(),
    "the form's rows follow kParameterTable");

// A choice's option: a QRadioButton.
template <class Choice>
struct OptionWidget {
    Choice choice;
    const char* option;
};

// In the window's order, top to bottom.
inline constexpr std::array<OptionWidget<Species>, kSpeciesNames.size()> kSpeciesOptions = {{
    {Species::tall, "optTall"},
    {Species::gran, "optGran"},
    {Species::lov, "optLov"},
}};
inline constexpr std::array<OptionWidget<Measure>, kMeasureNames.size()> kMeasureOptions = {{
    {Measure::gallring, "optGallring"},
    {Measure::kalavverkning, "optKalavv"},
}};

}  // namespace lodra
