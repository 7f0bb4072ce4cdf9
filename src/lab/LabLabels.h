#pragma once
// Japanese texts of the lab that are not a setting's: the titles of the settings' groups, the
// names of a phantom's regions and a result's method in a few words. A setting's label, unit,
// tooltip and choice names are in its declaration (model/tomo/Settings.cpp).
#include <QString>
#include <string>

#include "model/tomo/Settings.h"

namespace lumo::lab {

QString groupTitle(tomo::SettingGroup group);
// The Japanese name of a phantom's region or point source (the engine's name when the
// window knows none), e.g. "basal ganglia" -> 基底核, "rods 4.8 mm" -> ロッド 4.8 mm.
QString regionLabel(const std::string& name);
// A result's method in a few words, to tell two results apart when comparing: 「FBP」,
// 「MLEM 20回」, 「OSEM 4回×10」 (iterations x the subsets used, never more than the views).
QString methodLabel(const tomo::Settings& settings);

}  // namespace lumo::lab
