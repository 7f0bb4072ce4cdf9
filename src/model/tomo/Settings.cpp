// Settings: every key declared once (declarations() below), each value checked against the
// key's allowed values.
#include "model/tomo/Settings.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <type_traits>
#include <utility>

namespace lumo::tomo {

const char* name(PhantomKind k) {
  switch (k) {
    case PhantomKind::Brain: return "brain";
    case PhantomKind::Jaszczak: return "jaszczak";
    case PhantomKind::Cylinder: return "cylinder";
    case PhantomKind::Points: return "points";
    case PhantomKind::Cardiac: return "cardiac";
    case PhantomKind::SheppLogan: return "shepp-logan";
    case PhantomKind::Rods: return "rods";
  }
  return "";
}
const char* name(Collimator c) {
  switch (c) {
    case Collimator::None: return "none";
    case Collimator::Lehr: return "lehr";
    case Collimator::Legp: return "legp";
  }
  return "";
}
const char* name(Method m) {
  switch (m) {
    case Method::Fbp: return "fbp";
    case Method::Mlem: return "mlem";
    case Method::Osem: return "osem";
  }
  return "";
}
const char* name(ReconFilter f) { return f == ReconFilter::Ramp ? "ramp" : "shepp-logan"; }
const char* name(Prefilter p) {
  switch (p) {
    case Prefilter::None: return "none";
    case Prefilter::Butterworth: return "butterworth";
    case Prefilter::Hanning: return "hanning";
    case Prefilter::Hamming: return "hamming";
    case Prefilter::Gauss: return "gauss";
  }
  return "";
}

namespace {

constexpr double kMaxSeed = 18446744073709551615.0;  // 2^64 - 1 (as a double: 2^64; messages print the exact limit)

std::string formatNumber(double v) {
  char buf[400];
  // The shortest text that reads back as v, without an exponent (500000, 0.25, 1000000000).
  const auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed);
  return std::string(buf, r.ptr);
}

// The whole text as a number in the C locale; false when it is not one.
bool parseNumber(const std::string& text, double& out) {
  if (text.empty()) return false;
  const char* first = text.data();
  const char* last = first + text.size();
  if (*first == '+') ++first;  // from_chars refuses a leading plus
  if (first == last) return false;
  const auto r = std::from_chars(first, last, out);
  return r.ec == std::errc() && r.ptr == last;
}

// The whole text as an unsigned 64-bit number; false when it is not one.
bool parseUnsigned(const std::string& text, std::uint64_t& out) {
  const char* first = text.data();
  const char* last = first + text.size();
  const auto r = std::from_chars(first, last, out);
  return !text.empty() && r.ec == std::errc() && r.ptr == last;
}

int choiceIndex(const SettingInfo& info, const std::string& value) {
  const auto it = std::find(info.choices.begin(), info.choices.end(), value);
  return it == info.choices.end() ? -1 : static_cast<int>(it - info.choices.begin());
}

// One declaration, written as a sentence: Decl(key, kind, group).at(&Settings::field)...
class Decl {
 public:
  Decl(const char* key, SettingKind kind, SettingGroup group) {
    i_.key = key;
    i_.kind = kind;
    i_.group = group;
    i_.integer = kind == SettingKind::Whole;
    if (kind == SettingKind::OnOff) {
      i_.choices = {"on", "off"};
      i_.choiceLabels = {"オン", "オフ"};
    }
  }
  // The field that holds the value; its initialiser in Settings is the default.
  template <class T>
  Decl& at(T Settings::*m) {
    i_.equal = [m](const Settings& a, const Settings& b) { return a.*m == b.*m; };
    if constexpr (std::is_same_v<T, bool>) {
      i_.read = [m](const SettingInfo&, const Settings& s) { return std::string(s.*m ? "on" : "off"); };
      i_.write = [m](const SettingInfo&, Settings& s, const std::string& v) { s.*m = v == "on"; };
    } else if constexpr (std::is_enum_v<T>) {
      // The choices are the enumerators in their order.
      i_.read = [m](const SettingInfo& info, const Settings& s) { return info.choices.at(std::size_t(s.*m)); };
      i_.write = [m](const SettingInfo& info, Settings& s, const std::string& v) {
        s.*m = static_cast<T>(choiceIndex(info, v));
      };
    } else if constexpr (std::is_same_v<T, std::uint64_t>) {
      i_.unsigned64 = true;
      i_.read = [m](const SettingInfo&, const Settings& s) { return std::to_string(s.*m); };
      i_.write = [m](const SettingInfo&, Settings& s, const std::string& v) { parseUnsigned(v, s.*m); };
    } else if constexpr (std::is_same_v<T, int>) {
      // A whole number, or a choice among numbers (matrix, arc).
      i_.read = [m](const SettingInfo&, const Settings& s) { return std::to_string(s.*m); };
      i_.write = [m](const SettingInfo&, Settings& s, const std::string& v) {
        double d = 0;
        parseNumber(v, d);
        s.*m = static_cast<int>(d);
      };
    } else {
      static_assert(std::is_same_v<T, double>);
      i_.read = [m](const SettingInfo&, const Settings& s) { return formatNumber(s.*m); };
      i_.write = [m](const SettingInfo&, Settings& s, const std::string& v) { parseNumber(v, s.*m); };
    }
    return *this;
  }
  // Choices: the name a script writes and the Japanese name the window shows.
  Decl& choices(std::initializer_list<std::pair<const char*, const char*>> names) {
    for (const auto& [name, label] : names) {
      i_.choices.push_back(name);
      i_.choiceLabels.push_back(label);
    }
    return *this;
  }
  Decl& range(double lo, double hi) {
    i_.min = lo;
    i_.max = hi;
    return *this;
  }
  // The upper limit is another setting's value (refused above it, with "more than <name>").
  Decl& upTo(int Settings::*field, const char* name, double fixedMax) {
    i_.maxField = field;
    i_.maxName = name;
    i_.max = fixedMax;
    return *this;
  }
  Decl& when(bool (*relevant)(const Settings&)) {
    i_.relevant = relevant;
    return *this;
  }
  Decl& shows(const char* label, const char* unit = "", int decimals = 0, double step = 1) {
    i_.label = label;
    i_.unit = unit;
    i_.decimals = decimals;
    i_.step = step;
    return *this;
  }
  // What the control shows for 0, a number that stands for something else (e.g. "the same").
  Decl& zeroReads(const char* text) {
    i_.zeroText = text;
    return *this;
  }
  Decl& tip(const char* tooltip) {
    i_.tooltip = tooltip;
    return *this;
  }
  operator SettingInfo() const { return i_; }

 private:
  SettingInfo i_;
};

using K = SettingKind;
using G = SettingGroup;

bool isFbp(const Settings& s) { return s.method == Method::Fbp; }

// Every key of the lab, once. The order is the window's.
std::vector<SettingInfo> declarations() {
  return {
      Decl("phantom", K::Choice, G::Acquisition)
          .at(&Settings::phantom)
          .choices({{"brain", "脳"},
                    {"jaszczak", "Jaszczak"},
                    {"cylinder", "均一円柱"},
                    {"points", "点線源 (3個)"},
                    {"cardiac", "心筋 (体幹)"},
                    {"shepp-logan", "Shepp-Logan"},
                    {"rods", "ロッド (コールド)"}})
          .shows("ファントム")
          .tip("撮像する被写体 (放射能の分布) を選びます。"),
      Decl("defect", K::OnOff, G::Acquisition)
          .at(&Settings::defect)
          .when([](const Settings& s) { return s.phantom == PhantomKind::Cardiac; })
          .shows("欠損 (心筋)")
          .tip("心筋の一部に血流の欠損を作り、再構成画像で欠損が見えるかを確かめます。"),
      Decl("matrix", K::Choice, G::Acquisition)
          .at(&Settings::matrix)
          .choices({{"64", "64"}, {"128", "128"}, {"256", "256"}})
          .shows("マトリクス")
          .tip("画像の一辺の画素数です。大きいほど細かく写りますが、1 画素あたりのカウントは減ります。"),
      Decl("slices", K::Whole, G::Acquisition)
          .at(&Settings::slices)
          .range(1, 256)
          .upTo(&Settings::matrix, "the matrix", 256)
          .shows("スライス数")
          .tip("体軸方向に何枚の断面を収集して再構成するかです。1 なら 1 枚の断面だけを扱います。"),
      Decl("views", K::Whole, G::Acquisition)
          .at(&Settings::views)
          .range(4, 360)
          .shows("投影数", "方向")
          .tip("検出器が回りながら投影を集める方向の数です。少ないと放射状の筋状アーチファクトが出ます。"),
      Decl("arc", K::Choice, G::Acquisition)
          .at(&Settings::arcDeg)
          .choices({{"360", "360"}, {"180", "180"}})
          .shows("収集角度", "度")
          .tip("検出器が回る角度の範囲です。180 度では体の片側からだけ投影を集めます。"),
      Decl("start", K::Number, G::Acquisition)
          .at(&Settings::startDeg)
          .range(-360, 360)
          .shows("開始角度", "度", 1, 1)
          .tip("最初の投影を集めるときの検出器の角度です。"),
      Decl("direction", K::Choice, G::Acquisition)
          .at(&Settings::direction)
          .choices({{"ccw", "反時計回り"}, {"cw", "時計回り"}})
          .shows("回転方向")
          .tip("検出器が体のまわりを回る向きです。"),
      Decl("counts", K::Number, G::Acquisition)
          .at(&Settings::counts)
          .range(1000, 1e9)
          .shows("総カウント", "", 0, 10000)
          .tip("収集で検出される総カウントです。多いほど画像の雑音は少なくなります。"),
      Decl("noise", K::OnOff, G::Acquisition)
          .at(&Settings::noise)
          .shows("ポアソン雑音")
          .tip("投影に実際の収集と同じポアソン雑音を加えます。切ると雑音のない理想的なデータになります。"),
      Decl("seed", K::Whole, G::Acquisition)
          .at(&Settings::seed)
          .range(0, kMaxSeed)
          .when([](const Settings& s) { return s.noise; })
          .shows("乱数の種")
          .tip("雑音を作る乱数の種です。同じ種なら同じ雑音になり、変えると別の雑音の現れ方を見られます。"),
      Decl("attenuation", K::Number, G::Acquisition)
          .at(&Settings::attenuation)
          .range(0, 0.5)
          .shows("減弱係数 (軟部組織)", "/cm", 3, 0.01)
          .tip("軟部組織の線減弱係数です。大きいほど体の深いところからのγ線が弱まって届きます。"),
      Decl("collimator", K::Choice, G::Acquisition)
          .at(&Settings::collimator)
          .choices({{"none", "なし (理想)"}, {"lehr", "LEHR (高分解能)"}, {"legp", "LEGP (汎用)"}})
          .shows("コリメータ")
          .tip("検出器の前に置くコリメータです。種類によって空間分解能と感度が変わります。"),
      Decl("radius", K::Number, G::Acquisition)
          .at(&Settings::radiusCm)
          .range(10, 40)
          .shows("回転半径", "cm", 1, 1)
          .tip("回転の中心から検出器までの距離です。遠いほどコリメータによるぼけが大きくなります。"),
      Decl("scatter", K::OnOff, G::Acquisition)
          .at(&Settings::scatter)
          .shows("散乱線")
          .tip("体の中で散乱したγ線 (散乱線) を収集に含めます。切ると散乱線のない理想的なデータになります。"),
      Decl("window", K::Number, G::Acquisition)
          .at(&Settings::windowPercent)
          .range(10, 30)
          .when([](const Settings& s) { return s.scatter; })
          .shows("メインウィンドウ幅", "%", 0, 1)
          .tip("140.5 keV を中心とするエネルギーウィンドウの幅です。広いほどカウントは増えますが散乱線も多く入ります。"),
      Decl("subwindow", K::Number, G::Acquisition)
          .at(&Settings::subwindowPercent)
          .range(2, 10)
          .when([](const Settings& s) { return s.scatter; })
          .shows("サブウィンドウ幅", "%", 0, 1)
          .tip("TEW 法で散乱線を見積もるため、メインウィンドウの上下に置く狭いウィンドウの幅です。"),
      Decl("resolution", K::Number, G::Acquisition)
          .at(&Settings::resolutionPercent)
          .range(5, 20)
          .when([](const Settings& s) { return s.scatter; })
          .shows("エネルギー分解能", "%", 1, 0.5)
          .tip("140.5 keV でのエネルギー分解能 (半値幅) です。悪いほど一次光子がメインウィンドウの外にもこぼれます。"),
      Decl("method", K::Choice, G::Reconstruction)
          .at(&Settings::method)
          .choices({{"fbp", "FBP (フィルタ逆投影)"}, {"mlem", "MLEM"}, {"osem", "OSEM"}})
          .shows("再構成法")
          .tip("投影から断面を作る方法です。FBP は一度の計算で、MLEM と OSEM は推定を繰り返して画像を作ります。"),
      Decl("filter", K::Choice, G::Reconstruction)
          .at(&Settings::filter)
          .choices({{"ramp", "Ramp"}, {"shepp-logan", "Shepp-Logan"}})
          .when(isFbp)
          .shows("再構成フィルタ")
          .tip("FBP で逆投影の前に投影にかけるフィルタです。逆投影のぼけを取り除きます。"),
      Decl("prefilter", K::Choice, G::Reconstruction)
          .at(&Settings::prefilter)
          .choices({{"none", "なし"},
                    {"butterworth", "Butterworth"},
                    {"hanning", "Hanning"},
                    {"hamming", "Hamming"},
                    {"gauss", "Gauss"}})
          .shows("前処理フィルタ")
          .tip("再構成の前に投影にかけて雑音を抑えるフィルタです。"),
      Decl("cutoff", K::Number, G::Reconstruction)
          .at(&Settings::cutoff)
          .range(0.01, 0.5)
          .when([](const Settings& s) {
            return s.prefilter == Prefilter::Butterworth || s.prefilter == Prefilter::Hanning ||
                   s.prefilter == Prefilter::Hamming;
          })
          .shows("遮断周波数", "cycles/pixel", 3, 0.01)
          .tip("前処理フィルタが通す周波数の上限です。低いほど画像は滑らかになり、細かいところはぼけます。"),
      Decl("order", K::Whole, G::Reconstruction)
          .at(&Settings::order)
          .range(1, 20)
          .when([](const Settings& s) { return s.prefilter == Prefilter::Butterworth; })
          .shows("次数")
          .tip("Butterworth フィルタの次数です。大きいほど遮断周波数のところで急に切れます。"),
      Decl("width", K::Number, G::Reconstruction)
          .at(&Settings::width)
          .range(0.01, 20)
          .when([](const Settings& s) { return s.prefilter == Prefilter::Gauss; })
          .shows("Gauss の幅", "", 2, 0.1)
          .tip("Gauss フィルタの半値幅 (画素) です。広いほど雑音は減り、画像はぼけます。"),
      Decl("ac", K::OnOff, G::Reconstruction)
          .at(&Settings::ac)
          .shows("減弱補正")
          .tip("体の中でγ線が弱まる分を補正します。切ると体の中心ほど低いカウントで写ります。"),
      Decl("acmu", K::Number, G::Reconstruction)
          .at(&Settings::acmu)
          .range(0, 0.5)
          .when([](const Settings& s) { return s.ac; })
          .shows("補正の減弱係数", "/cm", 3, 0.01)
          .zeroReads("減弱係数と同じ")
          .tip("減弱補正に使う軟部組織の線減弱係数です。0 は収集の減弱係数と同じ値です。散乱補正をしないときは 0.12 /cm 程度の実効値が使われてきました。"),
      Decl("sc", K::Choice, G::Reconstruction)
          .at(&Settings::sc)
          .choices({{"none", "なし"}, {"tew", "TEW (3 ウィンドウ)"}, {"dew", "DEW (2 ウィンドウ)"}})
          .shows("散乱補正")
          .tip("サブウィンドウやコンプトンウィンドウのカウントから散乱線を見積もり、補正します。"),
      Decl("rr", K::OnOff, G::Reconstruction)
          .at(&Settings::rr)
          .when([](const Settings& s) { return !isFbp(s); })
          .shows("分解能補正")
          .tip("検出器からの距離で変わるぼけを、繰り返しの計算の中で補正します。"),
      Decl("iterations", K::Whole, G::Reconstruction)
          .at(&Settings::iterations)
          .range(1, 200)
          .when([](const Settings& s) { return !isFbp(s); })
          .shows("反復回数", "回")
          .tip("推定を繰り返す回数です。増やすと細かいところまで出ますが、雑音も増えます。"),
      Decl("subsets", K::Whole, G::Reconstruction)
          .at(&Settings::subsets)
          .range(1, 360)
          .upTo(&Settings::views, "the views", 360)
          .when([](const Settings& s) { return s.method == Method::Osem; })
          .shows("サブセット数")
          .tip("OSEM で投影をいくつの組に分けて順に画像を更新するかです。多いほど少ない反復で収束します。"),
      Decl("postfilter", K::Number, G::PostProcessing)
          .at(&Settings::postfilterMm)
          .range(0, 30)
          .shows("後処理 Gauss (FWHM)", "mm", 1, 0.5)
          .tip("再構成した画像にかける Gauss フィルタの半値幅です。0 ならかけません。"),
  };
}

std::string join(const std::vector<std::string>& items) {
  std::string out;
  for (std::size_t i = 0; i < items.size(); ++i) out += (i ? ", " : "") + items[i];
  return out;
}

std::string keyList() {
  std::vector<std::string> keys;
  for (const SettingInfo& s : settingTable()) keys.push_back(s.key);
  return join(keys);
}

bool isChoice(const SettingInfo& info) { return info.kind == SettingKind::Choice || info.kind == SettingKind::OnOff; }

}  // namespace

const std::vector<SettingInfo>& settingTable() {
  static const std::vector<SettingInfo> table = declarations();
  return table;
}

const SettingInfo* findSetting(const std::string& key) {
  for (const SettingInfo& s : settingTable())
    if (s.key == key) return &s;
  return nullptr;
}

int effectiveSubsets(int subsets, int views) { return std::max(1, std::min(subsets, views)); }
int effectiveSlices(int slices, int matrix) { return std::max(1, std::min(slices, matrix)); }

bool sameAcquisition(const Settings& a, const Settings& b) {
  for (const SettingInfo& info : settingTable())
    if (info.group == SettingGroup::Acquisition && !info.equal(a, b)) return false;
  return true;
}

std::string allowedValues(const Settings& s, const std::string& key) {
  const SettingInfo* info = findSetting(key);
  if (!info) return "";
  if (isChoice(*info)) return join(info->choices);
  if (info->unsigned64) return "a whole number from 0 to " + std::to_string(std::numeric_limits<std::uint64_t>::max());
  std::string text = formatNumber(info->min) + " to " + formatNumber(info->maxFor(s));
  if (info->integer) text += " (a whole number)";
  return text;
}

std::string applySetting(Settings& s, const std::string& key, const std::string& value) {
  const SettingInfo* info = findSetting(key);
  if (!info) return "unknown setting \"" + key + "\"; settings: " + keyList();
  const std::string allowed = "; allowed: " + allowedValues(s, key);
  const std::string quoted = "\"" + value + "\"";
  if (isChoice(*info)) {
    if (choiceIndex(*info, value) < 0) return key + ": " + quoted + " is not one of the values" + allowed;
    info->write(*info, s, value);
    return "";
  }
  if (info->unsigned64) {
    std::uint64_t whole = 0;
    if (!parseUnsigned(value, whole)) {
      double d = 0;
      if (parseNumber(value, d) && std::isfinite(d)) return key + ": " + quoted + " is out of range" + allowed;
      return key + ": " + quoted + " is not a whole number" + allowed;
    }
    info->write(*info, s, value);
    return "";
  }
  double v = 0;
  if (!parseNumber(value, v)) return key + ": " + quoted + " is not a number" + allowed;
  if (!std::isfinite(v)) return key + ": " + quoted + " is not a finite number" + allowed;
  if (info->integer && v != std::floor(v)) return key + ": " + quoted + " is not a whole number" + allowed;
  const double hi = info->maxFor(s);
  if (v < info->min || v > hi) {
    if (info->maxField && v <= info->max && v >= info->min)
      return key + ": " + quoted + " is more than " + info->maxName + " (" + std::to_string(s.*info->maxField) + ")" +
             allowed;
    return key + ": " + quoted + " is out of range" + allowed;
  }
  info->write(*info, s, value);
  return "";
}

std::string settingValue(const Settings& s, const std::string& key) {
  const SettingInfo* info = findSetting(key);
  return info ? info->text(s) : "";
}

}  // namespace lumo::tomo
