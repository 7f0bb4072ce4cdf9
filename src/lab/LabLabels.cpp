#include "lab/LabLabels.h"

#include <map>

namespace lumo::lab {

QString regionLabel(const std::string& name) {
  static const std::map<std::string, const char*> names = {
      {"basal ganglia", "基底核"},   {"ventricles", "脳室"},       {"white matter", "白質"},
      {"upper ellipse", "上の楕円"}, {"right ventricle", "右脳室"}, {"brain", "脳"},
      {"outer ring", "外周部"},      {"central disc", "中心部"},   {"centre", "中心"},
      {"water", "水 (バックグラウンド)"}, {"myocardium", "心筋"}, {"blood pool", "心内腔"},
      {"defect", "欠損"},            {"liver", "肝臓"},           {"soft tissue", "軟部組織"},
  };
  const auto it = names.find(name);
  if (it != names.end()) return QString::fromUtf8(it->second);
  if (name.rfind("rods ", 0) == 0) return QStringLiteral("ロッド ") + QString::fromStdString(name.substr(5));
  if (name.rfind("sphere ", 0) == 0) return QStringLiteral("球 ") + QString::fromStdString(name.substr(7));
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
      return QStringLiteral("OSEM %1回×%2").arg(s.iterations).arg(tomo::effectiveSubsets(s.subsets, s.views));
  }
  return {};
}

QString groupTitle(tomo::SettingGroup group) {
  switch (group) {
    case tomo::SettingGroup::Acquisition:
      return QStringLiteral("ファントムと収集");
    case tomo::SettingGroup::Reconstruction:
      return QStringLiteral("再構成");
    case tomo::SettingGroup::PostProcessing:
      return QStringLiteral("後処理");
  }
  return {};
}

}  // namespace lumo::lab
