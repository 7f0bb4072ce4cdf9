#include "lab/LabLabels.h"

#include <algorithm>
#include <map>
#include <utility>

namespace lumo::lab {

namespace {

struct Entry {
  const char* key;
  const char* label;
  const char* unit;
  SettingGroup group;
  int decimals;
  double step;
};

const Entry kEntries[] = {
    {"phantom", "ファントム", "", SettingGroup::Acquisition, 0, 1},
    {"matrix", "マトリクス", "", SettingGroup::Acquisition, 0, 1},
    {"views", "投影数", "方向", SettingGroup::Acquisition, 0, 1},
    {"counts", "総カウント", "", SettingGroup::Acquisition, 0, 10000},
    {"noise", "ポアソン雑音", "", SettingGroup::Acquisition, 0, 1},
    {"seed", "乱数の種", "", SettingGroup::Acquisition, 0, 1},
    {"attenuation", "減弱係数 (軟部組織)", "/cm", SettingGroup::Acquisition, 3, 0.01},
    {"collimator", "コリメータ", "", SettingGroup::Acquisition, 0, 1},
    {"radius", "回転半径", "cm", SettingGroup::Acquisition, 1, 1},
    {"method", "再構成法", "", SettingGroup::Reconstruction, 0, 1},
    {"filter", "再構成フィルタ", "", SettingGroup::Reconstruction, 0, 1},
    {"prefilter", "前処理フィルタ", "", SettingGroup::Reconstruction, 0, 1},
    {"cutoff", "遮断周波数", "cycles/pixel", SettingGroup::Reconstruction, 3, 0.01},
    {"order", "次数", "", SettingGroup::Reconstruction, 0, 1},
    {"width", "Gauss の幅", "", SettingGroup::Reconstruction, 2, 0.1},
    {"ac", "減弱補正", "", SettingGroup::Reconstruction, 0, 1},
    {"rr", "分解能補正", "", SettingGroup::Reconstruction, 0, 1},
    {"iterations", "反復回数", "回", SettingGroup::Reconstruction, 0, 1},
    {"subsets", "サブセット数", "", SettingGroup::Reconstruction, 0, 1},
    {"postfilter", "後処理 Gauss (FWHM)", "mm", SettingGroup::PostProcessing, 1, 0.5},
};

const std::map<std::pair<std::string, std::string>, const char*>& choices() {
  static const std::map<std::pair<std::string, std::string>, const char*> m = {
      {{"phantom", "brain"}, "脳"},
      {{"phantom", "shepp-logan"}, "Shepp-Logan"},
      {{"phantom", "rods"}, "ロッド (コールド)"},
      {{"phantom", "cylinder"}, "均一円柱"},
      {{"phantom", "points"}, "点線源 (3個)"},
      {{"collimator", "none"}, "なし (理想)"},
      {{"collimator", "lehr"}, "LEHR (高分解能)"},
      {{"collimator", "legp"}, "LEGP (汎用)"},
      {{"method", "fbp"}, "FBP (フィルタ逆投影)"},
      {{"method", "mlem"}, "MLEM"},
      {{"method", "osem"}, "OSEM"},
      {{"filter", "ramp"}, "Ramp"},
      {{"filter", "shepp-logan"}, "Shepp-Logan"},
      {{"prefilter", "none"}, "なし"},
      {{"prefilter", "butterworth"}, "Butterworth"},
      {{"prefilter", "hanning"}, "Hanning"},
      {{"prefilter", "hamming"}, "Hamming"},
      {{"prefilter", "gauss"}, "Gauss"},
  };
  return m;
}

}  // namespace

SettingLabel settingLabel(const std::string& key) {
  for (const Entry& e : kEntries) {
    if (key == e.key)
      return {QString::fromUtf8(e.label), QString::fromUtf8(e.unit), e.group, e.decimals, e.step};
  }
  return {};
}

QString choiceLabel(const std::string& key, const std::string& choice) {
  const auto it = choices().find({key, choice});
  return it == choices().end() ? QString::fromStdString(choice) : QString::fromUtf8(it->second);
}

QString regionLabel(const std::string& name) {
  static const std::map<std::string, const char*> names = {
      {"basal ganglia", "基底核"},   {"ventricles", "脳室"},       {"white matter", "白質"},
      {"upper ellipse", "上の楕円"}, {"right ventricle", "右脳室"}, {"brain", "脳"},
      {"outer ring", "外周部"},      {"central disc", "中心部"},   {"centre", "中心"},
  };
  const auto it = names.find(name);
  if (it != names.end()) return QString::fromUtf8(it->second);
  if (name.rfind("rods ", 0) == 0) return QStringLiteral("ロッド ") + QString::fromStdString(name.substr(5));
  if (name.size() > 3 && name.compare(name.size() - 3, 3, " cm") == 0)
    return QStringLiteral("中心から ") + QString::fromStdString(name);
  return QString::fromStdString(name);
}

QString methodLabel(const tomo::Settings& s) {
  switch (s.method) {
    case tomo::Method::Fbp:
      return QStringLiteral("FBP");
    case tomo::Method::Mlem:
      return QStringLiteral("MLEM %1回").arg(s.iterations);
    case tomo::Method::Osem:
      return QStringLiteral("OSEM %1回×%2").arg(s.iterations).arg(std::max(1, std::min(s.subsets, s.views)));
  }
  return {};
}

QString groupTitle(SettingGroup group) {
  switch (group) {
    case SettingGroup::Acquisition:
      return QStringLiteral("ファントムと収集");
    case SettingGroup::Reconstruction:
      return QStringLiteral("再構成");
    case SettingGroup::PostProcessing:
      return QStringLiteral("後処理");
  }
  return {};
}

}  // namespace lumo::lab
