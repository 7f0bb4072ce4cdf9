#include "lab/LabScript.h"

#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <cstdio>
#include <cstdlib>

#include "lab/LabExport.h"
#include "lab/LabWindow.h"

namespace lumo::lab {

namespace {

bool isLabVerb(const std::string& v) {
  return v == "set" || v == "run" || v == "play" || v == "step" || v == "export" || v == "compare" || v == "scale" ||
         v == "load" || v == "row" || v == "slice" || v == "window";
}

std::string joined(const std::vector<std::string>& words) {
  std::string s;
  for (const std::string& w : words) s += (s.empty() ? "" : ", ") + w;
  return s;
}

}  // namespace

bool LabScript::takes(const ScriptCommand& c) {
  if (c.verb == "open") {
    const bool lab = !c.args.empty() && c.args[0] == "Lab";
    if (!lab) active_ = false;  // another screen: snap and frame act on it again
    return lab;
  }
  if (isLabVerb(c.verb)) return true;
  if (c.verb == "snap" || c.verb == "frame" || c.verb == "close" || c.verb == "where") return active();
  return false;
}

LabWindow* LabScript::lab(const ScriptCommand& c) {
  if (!lab_) lab_ = LabWindow::find(mainWindow_);  // opened by --lab or the menu
  if (!lab_) throw std::runtime_error("the lab is not open: 'open Lab' first, in '" + c.line + "'");
  return lab_;
}

std::string LabScript::savePicture(const QImage& image, const std::string& file, const ScriptCommand& c) {
  if (image.isNull()) return "nothing to save in '" + c.line + "'";
  const QFileInfo info(QString::fromStdString(file));
  QDir().mkpath(info.absolutePath());
  if (!image.save(info.absoluteFilePath(), "PNG")) return "cannot write '" + file + "' in '" + c.line + "'";
  return {};
}

std::string LabScript::execute(const ScriptCommand& c) {
  try {
    const std::string& v = c.verb;
    const auto need = [&](std::size_t n) {
      if (c.args.size() < n) throw std::runtime_error("too few arguments: '" + c.line + "'");
    };
    if (v == "open") {
      lab_ = LabWindow::open(mainWindow_);
      active_ = true;
    } else if (v == "set") {
      need(2);
      LabWindow* l = lab(c);
      // A value of several words (none of the table's has one) is passed whole.
      std::string value = c.args[1];
      for (std::size_t i = 2; i < c.args.size(); ++i) value += " " + c.args[i];
      const std::string message = l->setSetting(c.args[0], value);
      if (!message.empty()) return message;
    } else if (v == "run") {
      LabWindow* l = lab(c);
      if (l->buildingUp()) l->advanceToEnd();
      wait_ = Wait::Result;
    } else if (v == "play") {
      lab(c)->play();
      wait_ = Wait::Result;
    } else if (v == "step") {
      LabWindow* l = lab(c);
      int n = 1;
      if (c.args.size() > 0) {
        char* end = nullptr;
        const long k = std::strtol(c.args[0].c_str(), &end, 10);
        if (c.args[0].empty() || *end || k < 1 || k > 100000)
          return "step takes a count from 1 to 100000, not '" + c.args[0] + "'";
        n = int(k);
      }
      const int before = l->buildingUp() ? l->shownStep() : 0;
      for (int i = 0; i < n; ++i) l->step();
      stepTarget_ = before + n;
      wait_ = Wait::Step;
    } else if (v == "load") {
      need(1);
      LabWindow* l = lab(c);
      if (const std::string message = l->openDicom(c.args[0]); !message.empty()) return message;
    } else if (v == "row") {
      need(1);
      char* end = nullptr;
      const long k = std::strtol(c.args[0].c_str(), &end, 10);
      if (c.args[0].empty() || *end || k < 0 || k > 100000) return "row takes a whole number, not '" + c.args[0] + "'";
      if (const std::string message = lab(c)->setSliceRow(int(k)); !message.empty()) return message;
    } else if (v == "window") {
      // window N: the loaded study's energy window N instead of its photopeak.
      need(1);
      char* end = nullptr;
      const long k = std::strtol(c.args[0].c_str(), &end, 10);
      if (c.args[0].empty() || *end || k < 1 || k > 64) return "window takes a whole number from 1, not '" + c.args[0] + "'";
      if (const std::string message = lab(c)->setEnergyWindow(int(k)); !message.empty()) return message;
    } else if (v == "slice") {
      need(1);
      char* end = nullptr;
      const long k = std::strtol(c.args[0].c_str(), &end, 10);
      if (c.args[0].empty() || *end || k < 0 || k > 100000) return "slice takes a whole number, not '" + c.args[0] + "'";
      if (const std::string message = lab(c)->setShownSlice(int(k)); !message.empty()) return message;
    } else if (v == "export" && c.args.size() >= 2 && QFileInfo(QString::fromStdString(c.args[1])).suffix().toLower() == "dcm") {
      // export slice|sinogram FILE.dcm: the DICOM NM file.
      if (const std::string message = lab(c)->exportDicom(c.args[0], c.args[1]); !message.empty())
        return message + " in '" + c.line + "'";
    } else if (v == "export" && c.args.size() >= 2 && QFileInfo(QString::fromStdString(c.args[1])).suffix().toLower() == "nii") {
      // export truth|slice|error FILE.nii: the whole volume as NIfTI-1 floats in kBq/mL.
      if (const std::string message = lab(c)->exportNifti(c.args[0], c.args[1]); !message.empty())
        return message + " in '" + c.line + "'";
    } else if (v == "export" && !c.args.empty() && c.args[0] == "window") {
      // export window lower|upper|compton FILE.csv
      need(3);
      const QString error = exportCsv(*lab(c), "window " + c.args[1], QString::fromStdString(c.args[2]));
      if (!error.isEmpty()) return error.toStdString() + " in '" + c.line + "'";
    } else if (v == "export") {
      need(2);
      const QString error = exportCsv(*lab(c), c.args[0], QString::fromStdString(c.args[1]));
      if (!error.isEmpty()) return error.toStdString() + " in '" + c.line + "'";
    } else if (v == "compare") {
      need(1);
      if (c.args[0] != "on" && c.args[0] != "off") return "compare takes on or off, not '" + c.args[0] + "'";
      lab(c)->setComparing(c.args[0] == "on");
    } else if (v == "scale") {
      need(1);
      if (!lab(c)->setColourScale(c.args[0])) return "unknown colour scale '" + c.args[0] + "' (rainbow, grey, hot)";
    } else if (v == "snap") {
      need(1);
      return savePicture(lab(c)->snapshot(), c.args[0], c);
    } else if (v == "frame") {
      need(2);
      const auto& names = LabWindow::panelNames();
      if (std::find(names.begin(), names.end(), c.args[0]) == names.end())
        return "unknown lab panel '" + c.args[0] + "' (" + joined(names) + ")";
      const QImage picture = lab(c)->panelPicture(c.args[0]);
      if (picture.isNull()) return "the panel '" + c.args[0] + "' is not shown, in '" + c.line + "'";
      return savePicture(picture, c.args[1], c);
    } else if (v == "close") {
      lab(c)->close();
      active_ = false;
    } else if (v == "where") {
      std::printf("Lab\n");
      std::fflush(stdout);
    }
  } catch (const std::exception& e) {
    return e.what();
  }
  return {};
}

bool LabScript::waiting(const ScriptCommand* next) {
  if (wait_ == Wait::None) {
    // An export writes the result of the newest settings, `compare on` keeps it and `slice`
    // picks one of its slices: they wait for it.
    if (next && (next->verb == "export" || next->verb == "compare" || next->verb == "slice") && lab_ && lab_->computing() &&
        !lab_->buildingUp())
      wait_ = Wait::Result;
    if (wait_ == Wait::None) return false;
  }
  if (!lab_) {
    wait_ = Wait::None;
    error_ = "the lab was closed while it computed";
    return false;
  }
  if (wait_ == Wait::Step) {
    if (lab_->buildingUp() && lab_->shownStep() < stepTarget_ && lab_->failure().isEmpty()) return true;
  } else if (lab_->computing()) {
    return true;
  }
  wait_ = Wait::None;
  if (!lab_->failure().isEmpty()) error_ = "the reconstruction failed: " + lab_->failure().toStdString();
  return false;
}

std::string LabScript::takeError() {
  std::string e;
  e.swap(error_);
  return e;
}

}  // namespace lumo::lab
