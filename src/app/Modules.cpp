#include "app/Modules.h"

#include "app/LabModule.h"
#include "app/PrintModule.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QMessageBox>
#include <QPluginLoader>
#include <QStringList>
#include <map>
#include <string>

namespace lumo {

namespace {

// Loaded and provided modules by name; a loader stays loaded for the program's life.
std::map<std::string, QObject*>& instances() {
  static std::map<std::string, QObject*> loaded;
  return loaded;
}

// The file of module `name`, and the folders it may be in: beside the program (the
// build tree), then the installed library folder.
QString fileOf(const char* name) { return QStringLiteral("liblumo_%1.so").arg(QString::fromUtf8(name)); }

QStringList foldersOf() {
  const QString here = QCoreApplication::applicationDirPath();
  return {here, QDir::cleanPath(here + QStringLiteral("/../lib/lumo"))};
}

}  // namespace

QObject* loadModule(const char* name, QString* why) {
  auto& loaded = instances();
  if (const auto it = loaded.find(name); it != loaded.end()) return it->second;
  QStringList reasons;
  for (const QString& folder : foldersOf()) {
    const QString path = QDir(folder).filePath(fileOf(name));
    if (!QFileInfo::exists(path)) continue;
    // Never unloaded: its widgets and their classes live as long as the program.
    auto* loader = new QPluginLoader(path, QCoreApplication::instance());
    // Every symbol now: a missing one is a failure to load, never a crash later.
    loader->setLoadHints(QLibrary::ResolveAllSymbolsHint);
    if (QObject* instance = loader->instance()) {
      loaded[name] = instance;
      return instance;
    }
    reasons << loader->errorString();
    delete loader;
  }
  if (why) {
    *why = !reasons.isEmpty() ? reasons.join(QStringLiteral("; "))
                              : QStringLiteral("%1 is in neither %2").arg(fileOf(name), foldersOf().join(QStringLiteral(" nor ")));
  }
  return nullptr;
}

bool moduleLoaded(const char* name) { return instances().count(name) > 0; }

bool anyModuleLoaded() { return !instances().empty(); }

void provideModule(const char* name, QObject* instance) { instances()[name] = instance; }

LabModule* labModule(QString* why) { return module<LabModule>("lab", why); }

void printWithDialog(QWidget* parent, const QImage& picture) {
  QString why;
  if (PrintModule* printing = module<PrintModule>("print", &why)) {
    printing->print(parent, picture);
    return;
  }
  QMessageBox::warning(parent, QStringLiteral("印刷"), QStringLiteral("印刷の機能を読み込めません。\n%1").arg(why));
}

}  // namespace lumo
