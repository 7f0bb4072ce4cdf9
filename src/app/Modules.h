#pragma once
// Parts of the program that start-up does without. The reconstruction lab (Qt Charts,
// DCMTK, FFTW) and printing (Qt Print Support) are Qt plugins of their own, loaded the
// first time they are used, so the main window comes up with only the libraries its
// screens need.
//
// A module lives beside the program in the build tree (build/liblumo_lab.so) and in
// ../lib/lumo/ when installed (/usr/bin/lumo, /usr/lib/lumo/liblumo_lab.so). It uses the
// program's own classes, which the program exports for it (src/app/exports.list).
//
// Programs that link a part in (the tests) hand it over with provideModule(): then
// nothing is loaded.
#include <QObject>
#include <QString>

namespace lumo {

// The plugin object of module `name` ("lab", "print"), loaded on first use; null when
// it cannot be loaded, with the reason in `why`.
QObject* loadModule(const char* name, QString* why = nullptr);
// True once module `name` is loaded or provided.
bool moduleLoaded(const char* name);
// True once any module is loaded or provided.
bool anyModuleLoaded();
// A part linked into the program itself stands in for module `name`.
void provideModule(const char* name, QObject* instance);

// The plugin object of `name` as its interface, null (with `why`) when it cannot be had.
template <class Interface>
Interface* module(const char* name, QString* why = nullptr) {
  QObject* instance = loadModule(name, why);
  auto* part = qobject_cast<Interface*>(instance);
  if (instance && !part && why) *why = QStringLiteral("%1: not the module this program expects").arg(name);
  return part;
}

}  // namespace lumo
