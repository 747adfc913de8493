#include "platform/editor_ui.h"

namespace platform {
namespace {

EditorWindowFactory& Factory() {
  static EditorWindowFactory factory;
  return factory;
}

}  // namespace

std::unique_ptr<EditorWindow> CreateEditorWindow(const EditorWindowSpec& spec) {
  return Factory() ? Factory()(spec) : nullptr;
}

EditorWindowFactory SetEditorWindowFactory(EditorWindowFactory factory) {
  EditorWindowFactory old = std::move(Factory());
  Factory() = std::move(factory);
  return old;
}

}  // namespace platform
