#pragma once

#include "app/definitions.h"
#include "chrome/window_behaviour.h"
#include "ui/qt/qt_parts.h"

#include <QDialog>

#include <functional>
#include <memory>

class QPushButton;
class QWidget;

namespace ui::qt {

// The restart prompt on Qt: a small fixed dialog of the system's look, its question above the
// two buttons, "Nie" first in Tab order and the default. It opens on the screen of `owner`.
// Its widgets are built when it is first shown.
class RestartPrompt : public QDialog {
    Q_OBJECT
public:
    RestartPrompt(const app::PromptDefinition& definition, std::function<QWidget*()> owner);
    ~RestartPrompt() override;

    // The prompt's parts, as its behaviour sees them, and the behaviour it keeps.
    QtWindow& parts() const { return *m_parts; }
    void host(std::unique_ptr<chrome::ClassBehaviour> behaviour) { m_behaviour = std::move(behaviour); }
    chrome::ClassBehaviour& behaviour() const { return *m_behaviour; }

    void setVisible(bool visible) override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void buildWidgets();

    const app::PromptDefinition& m_prompt;
    chrome::WindowDefinition m_definition;
    std::function<QWidget*()> m_owner;
    QPushButton* m_no = nullptr;
    std::unique_ptr<QtWindow> m_parts;
    std::unique_ptr<chrome::ClassBehaviour> m_behaviour;
};

} // namespace ui::qt
