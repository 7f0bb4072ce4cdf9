// Every name a student reads in the figures table is Japanese: each region and point source of
// every phantom has its label.
#include <gtest/gtest.h>

#include "lab/LabLabels.h"
#include "model/tomo/Phantom.h"

using namespace lumo;

TEST(LabLabels, EveryRegionAndPointOfEveryPhantomHasAJapaneseName) {
  for (const tomo::SettingInfo& info : tomo::settingTable()) {
    if (info.key != "phantom") continue;
    for (std::size_t k = 0; k < info.choices.size(); ++k) {
      const tomo::Phantom p = tomo::makePhantom(static_cast<tomo::PhantomKind>(k), 64, 16, 0.15, true);
      std::vector<std::string> names;
      for (const tomo::Region& r : p.regions) names.push_back(r.name);
      for (const tomo::PointSource& s : p.points) names.push_back(s.name);
      ASSERT_FALSE(names.empty()) << info.choices[k];
      for (const std::string& name : names) {
        const QString label = lab::regionLabel(name);
        EXPECT_NE(label, QString::fromStdString(name)) << info.choices[k] << ": " << name;
        // A label keeps the numbers of its name (a sphere's or a rod's size, a point's distance).
        for (char c : name) {
          if (c >= '0' && c <= '9') {
            EXPECT_TRUE(label.contains(QChar(c))) << name;
          }
        }
      }
    }
  }
}
