#pragma once
// The schema editor's windows show their dialogs through the controls' modal
// runner (one runner for every window, so one scripted runner drives a test);
// a schema dialog is loaded first.
#include "controls/ModalRunner.h"

namespace schema {

using controls::installModalRunner;
using controls::ModalRunner;
using controls::ScopedScriptedRunner;
using controls::ScriptedModalRunner;

// Loads the dialog (a SchemaDialog not yet loaded) and shows it modally through the runner in force.
void runModal(QDialog& dialog, QWidget* owner);

} // namespace schema
