#include "ui/qt/restart_prompt.h"

#include "ui/qt/placement.h"

#include <QLabel>
#include <QPushButton>

#include <algorithm>
#include <utility>

namespace ui::qt {

RestartPrompt::RestartPrompt(const app::PromptDefinition& definition, std::function<QWidget*()> owner)
    : QDialog(nullptr, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                           Qt::WindowCloseButtonHint)
    , m_prompt(definition)
    , m_owner(std::move(owner))
{
    setObjectName(QString::fromStdString(definition.componentName));
    setWindowTitle(QString::fromStdString(definition.caption));
    setFont(QFont(QStringLiteral("MS Sans Serif"), 8));
    // The buttons' parts stand in for them until then; anything else builds the widgets.
    for (const auto& [name, text] : {std::pair{"Button1", &definition.no}, std::pair{"Button2", &definition.yes}}) {
        chrome::Component button;
        button.name = name;
        button.kind = chrome::ComponentKind::Button;
        button.text = *text;
        m_definition.components.push_back(std::move(button));
    }
    m_parts = std::make_unique<QtWindow>(*this, m_definition, [this] { buildWidgets(); });
}

void RestartPrompt::buildWidgets()
{
    if (m_no)
        return;
    auto* question = new QLabel(QString::fromStdString(m_prompt.question), this);
    question->setObjectName(QStringLiteral("Label1"));
    question->setAlignment(Qt::AlignCenter);
    question->setWordWrap(true);
    // The question takes as many lines as the font at hand needs; the buttons and the window
    // grow down with it.
    const int textHeight = std::max(26, question->heightForWidth(310));
    const int growth = textHeight - 26;
    question->setGeometry(8, 8, 310, textHeight);
    setFixedSize(329, 81 + growth);

    m_no = new QPushButton(QString::fromStdString(m_prompt.no), this);
    m_no->setObjectName(QStringLiteral("Button1"));
    m_no->setGeometry(8, 48 + growth, 153, 25);
    auto* yes = new QPushButton(QString::fromStdString(m_prompt.yes), this);
    yes->setObjectName(QStringLiteral("Button2"));
    yes->setGeometry(168, 48 + growth, 153, 25);
    setTabOrder(m_no, yes);
    m_no->setDefault(true);
    m_parts->widgetsBuilt();
}

void RestartPrompt::setVisible(bool visible)
{
    if (visible)
        buildWidgets();
    QDialog::setVisible(visible);
}

RestartPrompt::~RestartPrompt()
{
    // The behaviour goes before the parts it holds on to.
    m_behaviour.reset();
}

void RestartPrompt::showEvent(QShowEvent* event)
{
    chrome::placeOnScreen(*this, chrome::screenOf(m_owner ? m_owner() : nullptr));
    QDialog::showEvent(event);
    m_no->setFocus();
}

} // namespace ui::qt
