#pragma once
// What the lab window shows for each setting of tomo::settingTable(): its Japanese
// label, unit, the group it sits in, how a number is displayed, and the Japanese
// names of its choices. The keys and their ranges come from the engine's table.
#include <QString>
#include <string>

#include "model/tomo/Settings.h"

namespace lumo::lab {

enum class SettingGroup { Acquisition, Reconstruction, PostProcessing };

struct SettingLabel {
  QString label;            // "" for a key the window does not know (shown by key)
  QString unit;             // shown after the value, "" for none
  SettingGroup group = SettingGroup::Reconstruction;
  int decimals = 0;         // for a number that is not whole
  double step = 1;          // of the spin box's arrows
};

SettingLabel settingLabel(const std::string& key);
// The Japanese name of one choice of a setting (the choice itself when there is none).
QString choiceLabel(const std::string& key, const std::string& choice);
QString groupTitle(SettingGroup group);
// The Japanese name of a phantom's region or point source (the engine's name when the
// window knows none), e.g. "basal ganglia" -> 基底核, "rods 4.8 mm" -> ロッド 4.8 mm.
QString regionLabel(const std::string& name);
// A result's method in a few words, to tell two results apart when comparing: 「FBP」,
// 「MLEM 20回」, 「OSEM 4回×10」 (iterations x the subsets used, never more than the views).
QString methodLabel(const tomo::Settings& settings);

}  // namespace lumo::lab
