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
    , m_owner(std::move(owner))
{
    setObjectName(QString::fromStdString(definition.componentName));
    setWindowTitle(QString::fromStdString(definition.caption));
    setFont(QFont(QStringLiteral("MS Sans Serif"), 8));

    m_question = new QLabel(QString::fromStdString(definition.question), this);
    m_question->setObjectName(QStringLiteral("Label1"));
    m_question->setAlignment(Qt::AlignCenter);
    m_question->setWordWrap(true);
    // The question takes as many lines as the font at hand needs; the buttons and the window
    // grow down with it.
    const int textHeight = std::max(26, m_question->heightForWidth(310));
    const int growth = textHeight - 26;
    m_question->setGeometry(8, 8, 310, textHeight);
    setFixedSize(329, 81 + growth);

    m_no = new QPushButton(QString::fromStdString(definition.no), this);
    m_no->setObjectName(QStringLiteral("Button1"));
    m_no->setGeometry(8, 48 + growth, 153, 25);
    m_yes = new QPushButton(QString::fromStdString(definition.yes), this);
    m_yes->setObjectName(QStringLiteral("Button2"));
    m_yes->setGeometry(168, 48 + growth, 153, 25);
    setTabOrder(m_no, m_yes);
    m_no->setDefault(true);
    m_parts = std::make_unique<QtWindow>(*this);
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
