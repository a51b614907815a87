#include "ui/qt/skinned_window.h"

#include "ui/qt/accessibility.h"
#include "ui/qt/file_list_box.h"
#include "ui/qt/name_entry.h"
#include "chrome/pictures.h"
#include "ui/qt/placement.h"
#include "ui/qt/picture_store.h"
#include "ui/qt/qt_text.h"
#include "chrome/skin.h"
#include "ui/qt/spin_edit.h"
#include "ui/qt/wallpaper/preview.h"

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

#include <algorithm>
#include <cstdlib>
#include <utility>

namespace chrome {

namespace {

QColor colour(std::uint32_t rgb)
{
    return QColor::fromRgb(static_cast<QRgb>(rgb));
}

void applyLook(SkinLabel& label, LabelLook look)
{
    QPalette palette = label.palette();
    QColor text = colour(skin::darkText);
    QFont font = label.font();
    switch (look) {
    case LabelLook::Plain: break;
    case LabelLook::Light: text = colour(skin::lightText); break;
    case LabelLook::Switch:
        // A little smaller, so that the switches stay on the left panel.
        text = colour(skin::lightText);
        font.setPointSize(skin::fontPointSize - 1);
        break;
    case LabelLook::Heading:
        text = colour(0xFFFFFF);
        font.setBold(true);
        label.setAutoFillBackground(true);
        palette.setColor(QPalette::Window, colour(skin::headingGrey));
        label.setAlignment(Qt::AlignCenter);
        break;
    // The design gives the description a right-to-left reading order, which a Polish system
    // does not apply to Polish text: it reads left to right like any note.
    case LabelLook::Description:
    case LabelLook::Note:
        text = colour(skin::lightText);
        font.setPointSize(skin::fontPointSize - 1);
        label.setAlignment(Qt::AlignHCenter | Qt::AlignTop);
        label.setWordWrap(true);
        break;
    case LabelLook::Link: text = colour(skin::lightText); break;
    case LabelLook::Arrow:
        text = colour(skin::arrow);
        font.setBold(true);
        break;
    case LabelLook::Separator: text = colour(skin::separator); break;
    case LabelLook::Title:
        text = colour(0xFFFFFF);
        font.setBold(true);
        label.setAutoFillBackground(true);
        palette.setColor(QPalette::Window, colour(0x000000));
        label.setAlignment(Qt::AlignCenter);
        break;
    case LabelLook::Silver:
        label.setAutoFillBackground(true);
        palette.setColor(QPalette::Window, colour(skin::silver));
        label.setAlignment(Qt::AlignCenter);
        break;
    case LabelLook::Bar:
        text = colour(skin::lightText);
        label.setAlignment(Qt::AlignCenter);
        break;
    case LabelLook::Field:
        text = colour(skin::lightText);
        font.setPointSize(skin::fontPointSize - 1);
        label.setAlignment(Qt::AlignCenter);
        break;
    case LabelLook::Warning:
        // A point smaller, so that the warning stays on the first-run panel's white half.
        text = colour(skin::maroon);
        font.setPointSize(skin::fontPointSize - 1);
        break;
    case LabelLook::Paragraph:
        label.setAlignment(Qt::AlignHCenter | Qt::AlignTop);
        label.setWordWrap(true);
        break;
    case LabelLook::Small: font.setPointSize(skin::fontPointSize - 1); break;
    case LabelLook::Strong: font.setBold(true); break;
    case LabelLook::Number:
        // The design's 20 pixels would put "10." onto its box in the fonts at hand.
        font.setPixelSize(17);
        label.setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        break;
    }
    palette.setColor(QPalette::WindowText, text);
    label.setPalette(palette);
    label.setFont(font);
}

} // namespace

bool isColourKey(QRgb pixel)
{
    return std::abs(qRed(pixel) - 255) + qGreen(pixel) + std::abs(qBlue(pixel) - 255) <= 150;
}

QBitmap colourKeyMask(const QImage& background)
{
    const QImage source = background.convertToFormat(QImage::Format_RGB32);
    const int width = source.width();
    QImage mask(source.size(), QImage::Format_MonoLSB);
    mask.setColorCount(2);
    mask.setColor(0, qRgb(255, 255, 255)); // outside the shape
    mask.setColor(1, qRgb(0, 0, 0));       // inside
    // A byte of the mask at a time: the main window's is made while the program starts.
    for (int y = 0; y < source.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(source.constScanLine(y));
        uchar* bits = mask.scanLine(y);
        for (int first = 0; first < width; first += 8) {
            const int count = std::min(8, width - first);
            unsigned byte = 0;
            for (int bit = 0; bit < count; ++bit)
                byte |= isColourKey(line[first + bit]) ? 0u : 1u << bit;
            bits[first >> 3] = static_cast<uchar>(byte);
        }
    }
    return QBitmap::fromImage(mask);
}

SkinnedWindow::SkinnedWindow(Context& context, const WindowDefinition& definition)
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint)
    , m_context(context)
    , m_definition(definition)
{
    setObjectName(qs(definition.componentName));
    setWindowTitle(qs(definition.caption));
    setFixedSize(definition.width, definition.height);
    QPalette background = palette();
    background.setColor(QPalette::Window, colour(skin::colourKey));
    setPalette(background);
    setFont(QFont(QString::fromLatin1(skin::fontFamily), skin::fontPointSize));
    installAccessibility();
    // The timers run from the start; the other widgets wait for the window's first showing.
    for (const Component& component : m_definition.components) {
        if (component.kind == ComponentKind::Timer)
            makeTimer(this, component, m_context.idleMonitor);
    }
    m_parts = std::make_unique<ui::qt::QtWindow>(*this, definition, [this] { buildWidgets(); });
    m_behaviour =
        std::make_unique<WindowBehaviour>(*m_parts, definition,
                                          WindowBehaviour::Services{context.registry, context.shell, context.errors,
                                                                    [&context] {
                                                                        if (context.minimiseApplication)
                                                                            context.minimiseApplication();
                                                                    },
                                                                    context.showOptionState});
    m_behaviour->closeClicked = [this] { closeClicked(); };
    if (DesignTimer* drag = timer(qs(m_definition.dragTimer)))
        connect(drag, &DesignTimer::timeout, this, [this] { handle([this] { dragStep(); }); });
}

SkinnedWindow::~SkinnedWindow() = default;

void SkinnedWindow::buildWidgets()
{
    if (m_widgetsBuilt)
        return;
    m_widgetsBuilt = true;
    build();
    m_parts->widgetsBuilt();
    wireDrag();
    describe();
}

SkinnedWindow& SkinnedWindow::built() const
{
    auto& window = const_cast<SkinnedWindow&>(*this);
    window.buildWidgets();
    return window;
}

PictureControl* SkinnedWindow::picture(QAnyStringView name) const
{
    return built().findChild<PictureControl*>(name.toString(), Qt::FindDirectChildrenOnly);
}

SkinLabel* SkinnedWindow::label(QAnyStringView name) const
{
    return built().findChild<SkinLabel*>(name.toString(), Qt::FindDirectChildrenOnly);
}

DesignTimer* SkinnedWindow::timer(QAnyStringView name) const
{
    return findChild<DesignTimer*>(name.toString(), Qt::FindDirectChildrenOnly);
}

void SkinnedWindow::build()
{
    for (const Component& component : m_definition.components) {
        if (component.kind == ComponentKind::Picture)
            addPicture(component);
        else if (component.kind == ComponentKind::Label)
            addLabel(component);
        else if (isTool(component))
            addTool(component);
    }
}

void SkinnedWindow::addPicture(const Component& component)
{
    auto* control = new PictureControl(this);
    control->setObjectName(qs(component.name));
    control->setGeometry(component.place.x, component.place.y, component.place.width, component.place.height);
    if (component.handCursor) {
        control->setCursor(Qt::PointingHandCursor);
        makeTarget(*control);
    }
    control->setVisible(component.visible);
}

void SkinnedWindow::addLabel(const Component& component)
{
    auto* control = new SkinLabel(this);
    control->setObjectName(qs(component.name));
    applyLook(*control, component.label);
    control->setText(qs(component.text));
    if (component.handCursor) {
        control->setCursor(Qt::PointingHandCursor);
        makeTarget(*control);
    }
    if (component.label == LabelLook::Separator || component.label == LabelLook::Arrow)
        makeDecorative(*control);
    const Rect& place = component.place;
    if (place.width == 0) {
        control->setProperty("autoSize", true);
        control->move(place.x, place.y);
        control->adjustSize();
    } else {
        int height = place.height;
        if (height == 0)
            height = control->wordWrap() ? control->heightForWidth(place.width) : control->sizeHint().height();
        control->setGeometry(place.x, place.y, place.width, height);
    }
    control->setVisible(component.visible);
}

void SkinnedWindow::addTool(const Component& component)
{
    QWidget* control = nullptr;
    switch (component.kind) {
    case ComponentKind::Button: {
        auto* button = new QPushButton(qs(component.text), this);
        if (component.compact) {
            QFont font = button->font();
            font.setPointSize(font.pointSize() - 1);
            button->setFont(font);
            button->setPalette(QApplication::palette());
        }
        control = button;
        break;
    }
    case ComponentKind::CheckBox: {
        auto* box = new QCheckBox(qs(component.text), this);
        box->setChecked(component.value != 0);
        if (component.white) {
            box->setAutoFillBackground(true);
            QPalette white = box->palette();
            white.setColor(QPalette::Window, Qt::white);
            box->setPalette(white);
        }
        control = box;
        break;
    }
    case ComponentKind::Preview: control = new removal::Preview(this); break;
    case ComponentKind::NameEntry: control = new NameEntry(this, component.maximum); break;
    case ComponentKind::EditBox: {
        QLineEdit* edit = makeEdit(this, qs(component.name), {});
        edit->setText(qs(component.text));
        if (component.white) {
            QPalette white = edit->palette();
            white.setColor(QPalette::Base, Qt::white);
            white.setColor(QPalette::Text, Qt::black);
            edit->setPalette(white);
        }
        control = edit;
        break;
    }
    case ComponentKind::ListBox: {
        auto* list = new QListWidget(this);
        list->setPalette(QApplication::palette());
        list->setSelectionMode(QAbstractItemView::SingleSelection);
        list->setUniformItemSizes(true);
        control = list;
        break;
    }
    case ComponentKind::SpinEdit:
        control = new ui::qt::SpinBox(this, component.minimum, component.maximum, component.value);
        control->setPalette(QApplication::palette());
        break;
    case ComponentKind::FileList: control = new FileListBox(this, m_context.drive); break;
    default: return;
    }
    control->setObjectName(qs(component.name));
    control->setGeometry(component.place.x, component.place.y, component.place.width, component.place.height);
    if (component.handCursor)
        control->setCursor(Qt::PointingHandCursor);
    control->setVisible(component.visible);
}

void SkinnedWindow::wireDrag()
{
    for (const std::string& name : m_definition.dragSurfaces) {
        auto startDrag = [this] { handle([this] { timer(qs(m_definition.dragTimer))->start(); }); };
        auto stopDrag = [this] { handle([this] { timer(qs(m_definition.dragTimer))->stop(); }); };
        if (PictureControl* surface = picture(qs(name))) {
            connect(surface, &PictureControl::mouseDown, this, startDrag);
            connect(surface, &PictureControl::mouseUp, this, stopDrag);
        } else if (SkinLabel* text = label(qs(name))) {
            connect(text, &SkinLabel::mouseDown, this, startDrag);
            connect(text, &SkinLabel::mouseUp, this, stopDrag);
        }
    }
}

const std::string* SkinnedWindow::hintOf(const std::string& control) const
{
    for (const Hint& hint : m_definition.hints) {
        if (hint.control == control)
            return &hint.text;
    }
    return nullptr;
}

void SkinnedWindow::describe()
{
    for (const Component& component : m_definition.components) {
        QWidget* control = nullptr;
        if (component.kind == ComponentKind::Picture) {
            control = picture(qs(component.name));
            control->setAccessibleName(qs(chrome::accessibleName(component)));
        } else if (component.kind == ComponentKind::Label) {
            // A label reads its text as it stands, unless it is given a name.
            control = label(qs(component.name));
            if (!component.accessibleName.empty())
                control->setAccessibleName(qs(component.accessibleName));
        } else {
            continue;
        }
        const std::string* hint = hintOf(component.name);
        if (!hint && !component.describedBy.empty())
            hint = hintOf(component.describedBy);
        if (hint)
            control->setAccessibleDescription(qs(*hint));
    }
    for (const Toggle& toggle : m_definition.toggles) {
        makeDecorative(*label(qs(toggle.marker)));
        makeToggle(*label(qs(toggle.control)), *label(qs(toggle.marker)));
    }
    if (const auto& comments = m_definition.comments) {
        const std::pair<const std::string&, const std::string&> switches[] = {
            {comments->onSwitch, comments->onArrow}, {comments->offSwitch, comments->offArrow}};
        for (const auto& [name, arrow] : switches) {
            SkinLabel* control = label(qs(name));
            makeTarget(*control);
            makeToggle(*control, *label(qs(arrow)));
            control->setAccessibleName(control->text());
        }
    }
}

void SkinnedWindow::prepareTools()
{
    // The window's class has built its own tools by now. They draw their frames in shades of
    // the window's colour, which is the colour key: they take the panels' colour instead.
    for (QWidget* child : findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (qobject_cast<PictureControl*>(child) || qobject_cast<SkinLabel*>(child))
            continue;
        QPalette tool = child->palette();
        tool.setColor(QPalette::Window, colour(skin::body));
        child->setPalette(tool);
    }
    for (const ToolName& tool : m_definition.toolNames) {
        if (auto* control = findChild<QWidget*>(qs(tool.control), Qt::FindDirectChildrenOnly))
            control->setAccessibleName(qs(tool.name));
    }
    // Tab goes through the window in screen order: row by row from the top, each row from the
    // left. A row is what starts above the middle of its first, topmost control.
    std::vector<QWidget*> controls;
    for (QWidget* child : findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (!child->isWindow() && (child->focusPolicy() & Qt::TabFocus) == Qt::TabFocus)
            controls.push_back(child);
    }
    std::stable_sort(controls.begin(), controls.end(), [](const QWidget* a, const QWidget* b) {
        return std::pair(a->y(), a->x()) < std::pair(b->y(), b->x());
    });
    for (auto row = controls.begin(); row != controls.end();) {
        const int middle = (*row)->y() + (*row)->height() / 2;
        const auto end = std::find_if(row, controls.end(), [middle](const QWidget* c) { return c->y() >= middle; });
        std::stable_sort(row, end, [](const QWidget* a, const QWidget* b) { return a->x() < b->x(); });
        row = end;
    }
    for (std::size_t i = 1; i < controls.size(); ++i)
        setTabOrder(controls[i - 1], controls[i]);
    // The window opens with the focus on itself, so that the first Tab goes to the first
    // control and a stray Space or Enter clicks nothing.
    setFocus(Qt::OtherFocusReason);
}

void SkinnedWindow::loadPictures()
{
    m_picturesLoaded = true;
    for (const Component& component : m_definition.components) {
        if (component.kind != ComponentKind::Picture)
            continue;
        PictureControl* control = picture(qs(component.name));
        const QPixmap pixmap = m_context.pictures.pixmap(qs(pictureFile(m_definition, component)));
        control->setPixmap(pixmap);
        if (component.picture == PictureLook::Background && !pixmap.isNull())
            setMask(colourKeyMask(pixmap.toImage()));
    }
}

void SkinnedWindow::setVisible(bool visible)
{
    if (visible && !m_picturesLoaded) {
        buildWidgets();
        loadPictures();
        prepareTools();
    }
    if (visible && !m_placed) {
        m_placed = true;
        // On the screen that holds the main window; the main window itself on the primary one.
        const ui::Window* main = m_context.window ? m_context.window("TForm1") : nullptr;
        const auto* mainWidget = main ? static_cast<const QWidget*>(main->nativeId()) : nullptr;
        placeOnScreen(*this, screenOf(mainWidget == this ? nullptr : mainWidget));
    }
    QWidget::setVisible(visible);
}

void SkinnedWindow::setAlpha(bool blend, std::uint8_t value)
{
    m_alphaBlend = blend;
    m_alphaValue = value;
    setWindowOpacity(blend ? value / 255.0 : 1.0);
}

void SkinnedWindow::closeClicked()
{
    close();
}

void SkinnedWindow::dragStep()
{
    // The top-left corner goes to the cursor; the grab point is not kept.
    move(m_context.cursor.position().x, y());
    move(x(), m_context.cursor.position().y);
}

} // namespace chrome
