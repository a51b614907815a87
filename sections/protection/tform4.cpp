#include "sections/protection/tform4.h"

#include "ui/qt/controls.h"
#include "chrome/option_executor.h"
#include "ui/qt/qt_text.h"

#include "core/registry/tregistry.h"

#include <QLineEdit>

using chrome::qs;
using namespace sections::refused_programs;

TForm4::TForm4(chrome::Context& context, const chrome::WindowDefinition& definition)
    : chrome::SectionWindow(context, definition)
    , Edit1(chrome::makeEdit(this, QStringLiteral("Edit1"), {24, 0, 49, 21}))
{
    Edit1->setText(qs(kPolicySubkey));
    Edit1->hide();
    int top = kFirstRow;
    for (const Entry& entry : kEntries) {
        QLineEdit* box = chrome::makeEdit(this, qs(entry.edit), {kEditX, top + kEditDrop, kEditWidth, kEditHeight});
        QPalette white = box->palette();
        white.setColor(QPalette::Base, Qt::white);
        white.setColor(QPalette::Text, Qt::black);
        box->setPalette(white);
        top += kRowStep;
        connect(picture(qs(entry.block)), &chrome::PictureControl::clicked, this,
                [this, &entry] { handle([this, &entry] { block(entry); }); });
        connect(picture(qs(entry.unblock)), &chrome::PictureControl::clicked, this,
                [this, &entry] { handle([this, &entry] { unblock(entry); }); });
        connect(timer(qs(entry.timer)), &chrome::DesignTimer::timeout, this,
                [this, &entry] { handle([this, &entry] { load(entry); }); });
    }
    connect(picture(QStringLiteral("Image12")), &chrome::PictureControl::clicked, this,
            [this] { handle([this] { Image12Click(); }); });
    handle([this] { FormCreate(); });
}

QLineEdit* TForm4::edit(const Entry& entry) const
{
    return findChild<QLineEdit*>(qs(entry.edit), Qt::FindDirectChildrenOnly);
}

void TForm4::FormCreate()
{
    chrome::runOption(startupWrite(), context());
}

void TForm4::Image12Click()
{
    // A plain show: the File compatibility window keeps no settings to read.
    if (ui::Window* window = context().window ? context().window("TForm9") : nullptr)
        window->bringForward();
}

void TForm4::block(const Entry& entry)
{
    const std::string subkey = Edit1->text().toStdString();
    const std::string program = edit(entry)->text().toStdString();
    if (subkey.empty() || program.empty()) {
        context().messageBoxes.message("Wpisz nazwę programu");
        return;
    }
    core::TRegIniFile policies(context().registry, kPoliciesKey);
    policies.SetRootKey(core::RootKey::CurrentUser);
    if (!policies.OpenKey(subkey, false)) {
        if (!context().messageBoxes.askYesNo({}, "The specified key does not exist, create it?"))
            return;
        policies.CreateKey(subkey);
        if (!policies.OpenKey(subkey, false)) {
            context().messageBoxes.message("Error in Opening Created Key");
            return;
        }
    }
    // Key names are compared without regard to case, so both spellings name one subkey; the
    // spelling shows only when the first write creates it.
    const char* section = &entry == &kEntries.front() ? "DisallowRun" : "DisAllowRun";
    policies.WriteString(section, entry.value, program);
}

void TForm4::unblock(const Entry& entry)
{
    {
        core::TRegIniFile list(context().registry, kListKey);
        list.SetRootKey(core::RootKey::CurrentUser);
        list.DeleteValue(entry.value);
    }
    timer(qs(entry.timer))->start();
}

void TForm4::load(const Entry& entry)
{
    // One attempt whatever it finds: a value that cannot be read is reported once, not again
    // every 100 ms, and leaves the entry empty.
    timer(qs(entry.timer))->stop();
    QLineEdit* box = edit(entry);
    box->clear();
    core::TRegistry registry(context().registry);
    registry.SetRootKey(core::RootKey::CurrentUser);
    registry.OpenKey(kListKey, false);
    box->setText(QString::fromStdString(registry.ReadString(entry.value)));
}
