#include "app/macro_editor.h"

#include <utility>

namespace tamiru::app {

MacroEditor::MacroEditor(const MacroEditorControls& controls, const settings::TSettings& settings,
                         std::vector<std::string>& macro_list,
                         std::function<void(const std::string& message)> show_error)
    : controls_(controls), settings_(settings), macro_list_(macro_list), show_error_(std::move(show_error)) {}

void MacroEditor::ComboBox1Click() {}
void MacroEditor::Edit13KeyDown(int) {}
void MacroEditor::Button9Click() {}
void MacroEditor::Button10Click() {}
void MacroEditor::Button11Click() {}
void MacroEditor::Button12Click() {}
void MacroEditor::UpdateArgumentBoxes() {}
void MacroEditor::ShowMacroEntry() {}
void MacroEditor::ResetMacroEditor() {}

}  // namespace tamiru::app
