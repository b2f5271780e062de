#include "framework/gui/Window.h"

#include "framework/core/PropertyList.h"
#include "framework/core/Runtime.h"
#include "framework/core/RuntimeException.h"
#include "framework/gui/Application.h"
#include "framework/gui/PushButton.h"
#include "framework/gui/RectControl.h"
#include "framework/gui/Window_p.h"
#include "framework/gui/QtText_p.h"

#include <QAction>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLayout>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QScreen>
#include <QUrl>
#include <QWindow>
#include <algorithm>

namespace fw {

void RegisterFrameworkWindow(const Ref<Window>& w);

class ContentWidget : public QWidget {
public:
    explicit ContentWidget(WindowPrivate* d)
        : d(d)
    {
    }

protected:
    void resizeEvent(QResizeEvent* e) override
    {
        QWidget::resizeEvent(e);
        d->owner->contentResized();
    }

private:
    WindowPrivate* d;
};

// Turns the URLs of a drop into file references, keeping the path's bytes
// exactly as the file manager sent them (names need not be UTF-8).
static std::vector<Ref<FolderItem>> itemsOfDrop(const QMimeData* mime)
{
    std::vector<Ref<FolderItem>> items;
    if (!mime || !mime->hasUrls())
        return items;
    for (const QUrl& url : mime->urls()) {
        // A file on another host is not the local file of the same path.
        const QString host = url.host();
        if (!url.isLocalFile() || (!host.isEmpty() && host.compare(QLatin1String("localhost"), Qt::CaseInsensitive) != 0)) {
            items.push_back(nullptr);
            continue;
        }
        QByteArray raw = QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1());
        if (raw.isEmpty() || raw.front() != '/' || raw.contains('\0')) {
            items.push_back(nullptr);
            continue;
        }
        items.push_back(FolderItem::FromPath(std::string(raw.constData(), static_cast<std::size_t>(raw.size()))));
    }
    return items;
}

// Answers a drag as a copy, never a move: a source told "moved" may delete
// its files, and here they are the user's originals. Where the source offers
// no copy, a link says the same; a source that offers a move alone is still
// answered "copy", so it never takes the files for moved.
struct DropEventAccess : QDropEvent {
    // QDropEvent::setDropAction turns an action the source does not offer
    // into the proposed one, which may be a move.
    static void forceAction(QDropEvent& e, Qt::DropAction a) { e.*(&DropEventAccess::m_dropAction) = a; }
    static void offer(QDropEvent& e, Qt::DropAction a) { e.*(&DropEventAccess::m_actions) |= a; }
};

static void answerAsCopy(QDropEvent& e)
{
    Qt::DropActions offered = e.possibleActions();
    Qt::DropAction answer = (offered & Qt::CopyAction) || !(offered & Qt::LinkAction) ? Qt::CopyAction : Qt::LinkAction;
    DropEventAccess::forceAction(e, answer);
    e.accept();
}

// The toolkit hands a window's drag events on to the widget under the
// pointer and then sets the widget's answer on its own event, with the same
// check against the source's offer. For a source that offers a move alone
// that check would turn the widget's "copy" back into "move"; the window's
// events are therefore made to offer a copy before the widget sees them.
class DropOfferFilter : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject*, QEvent* e) override
    {
        if (e->type() == QEvent::DragEnter || e->type() == QEvent::DragMove || e->type() == QEvent::Drop) {
            auto& drop = *static_cast<QDropEvent*>(e);
            if (!(drop.possibleActions() & (Qt::CopyAction | Qt::LinkAction)))
                DropEventAccess::offer(drop, Qt::CopyAction);
        }
        return false;
    }
};

class NativeWindow : public QMainWindow {
public:
    explicit NativeWindow(WindowPrivate* d)
        : d(d)
    {
    }

protected:
    void closeEvent(QCloseEvent* e) override
    {
        d->open = false;
        QMainWindow::closeEvent(e);
    }
    void dragEnterEvent(QDragEnterEvent* e) override
    {
        // Files and folders alike: the DropObject handler picks what it takes.
        if (!d->acceptedTypes.empty())
            answerAsCopy(*e);
    }
    void dragMoveEvent(QDragMoveEvent* e) override
    {
        if (!d->acceptedTypes.empty())
            answerAsCopy(*e);
    }
    void dropEvent(QDropEvent* e) override
    {
        if (d->acceptedTypes.empty())
            return;
        answerAsCopy(*e);
        auto items = make<DragItem>(itemsOfDrop(e->mimeData()));
        d->owner->deliverDrop(items, static_cast<std::int32_t>(e->dropAction()));
    }
    void keyPressEvent(QKeyEvent* e) override
    {
        // Return and Enter that no focused control used press the default
        // button, as in any dialog.
        if ((e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter)
            && (e->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier && d->pressDefaultButton()) {
            e->accept();
            return;
        }
        QMainWindow::keyPressEvent(e);
    }
    bool event(QEvent* e) override
    {
        // A shortcut finds its menu item enabled or not by what the focused
        // control can do right now.
        if (e->type() == QEvent::ShortcutOverride)
            d->updateMenuStates();
        // The platform window exists once the window is shown, and a change
        // of window flags may replace it.
        if (e->type() == QEvent::Show && windowHandle() && windowHandle() != mFiltered) {
            mFiltered = windowHandle();
            mFiltered->installEventFilter(&mDropOffer);
        }
        return QMainWindow::event(e);
    }

private:
    WindowPrivate* d;
    DropOfferFilter mDropOffer;
    QPointer<QWindow> mFiltered;
};

Window::Window()
    : d(std::make_unique<WindowPrivate>())
{
    d->owner = this;
    d->window = new NativeWindow(d.get());
    d->content = new ContentWidget(d.get());
    d->window->setCentralWidget(d->content);
    d->scale = WindowPrivate::desktopLayoutScale(d->window);
    // The defaults are layout units too.
    for (int* v : { &d->minWidth, &d->minHeight, &d->maxWidth, &d->maxHeight, &d->wantW, &d->wantH })
        *v = UnitsToPixels(*v, d->scale);
    d->applyFlags();
    d->applySizeLimits();
}

Window::~Window()
{
    // A control still held elsewhere must not reach a window that is gone.
    for (auto& entry : d->controls)
        if (auto* control = dynamic_cast<RectControl*>(entry.second.get()))
            control->attachToWindow(nullptr);
    d->controls.clear();
    delete d->window;
}

const ClassInfo& Window::ClassDescription()
{
    return ClassRegistry::Register("Window", [](ClassInfo& c) {
        c.parent = &Object::ClassDescription();
        c.operations = { "Constructor", "Close", "AcceptFileDrop", "__New", "_AddControl", "_ControlByName" };
        c.declaredEvents = { "Layout", "CreateControls", "Open", "DropObject", "AddMenuHandlers", "Close",
            "CancelClose", "Resized", "Resizing", "Moved", "EnableMenuItems", "Activate", "Deactivate",
            "KeyDown", "Paint", "MouseDown", "DragEnter", "DragOver", "ContentsChanged" };
        auto i4 = [](const char* name, auto f) { return DeclareProperty<Window, std::int32_t>(name, "i4", f); };
        auto b = [](const char* name, auto f) { return DeclareProperty<Window, bool>(name, "b", f); };
        c.properties = {
            // Placement, Frame, Composite, LiveResize and MacProcId name
            // choices of another platform; a toolkit window has one kind,
            // placed by the window manager and redrawn live.
            i4("Placement", [](Window&, std::int32_t) { }),
            i4("Left", [](Window& w, std::int32_t v) { w.d->window->move(v, w.d->window->y()); }),
            i4("Top", [](Window& w, std::int32_t v) { w.d->window->move(w.d->window->x(), v); }),
            i4("Width", [](Window& w, std::int32_t v) { w.SetWidth(v); }),
            i4("Height", [](Window& w, std::int32_t v) { w.SetHeight(v); }),
            i4("MinWidth", [](Window& w, std::int32_t v) { w.d->minWidth = UnitsToPixels(v, w.d->scale); w.d->applySizeLimits(); }),
            i4("MinHeight", [](Window& w, std::int32_t v) { w.d->minHeight = UnitsToPixels(v, w.d->scale); w.d->applySizeLimits(); }),
            i4("MaxWidth", [](Window& w, std::int32_t v) { w.d->maxWidth = UnitsToPixels(v, w.d->scale); w.d->applySizeLimits(); }),
            i4("MaxHeight", [](Window& w, std::int32_t v) { w.d->maxHeight = UnitsToPixels(v, w.d->scale); w.d->applySizeLimits(); }),
            i4("Frame", [](Window&, std::int32_t) { }),
            b("Composite", [](Window&, bool) { }),
            b("HasBackColor", [](Window& w, bool v) { w.d->hasBackColor = v; w.d->applyBackColor(); }),
            DeclareProperty<Window, Color>("BackColor", "c", [](Window& w, Color v) {
                w.d->backColor = v;
                w.d->applyBackColor();
            }),
            DeclareProperty<Window, std::string>("Title", "s", [](Window& w, const std::string& v) {
                w.d->window->setWindowTitle(toQString(v));
            }),
            DeclareProperty<Window, std::string>("Name", "s", [](Window&, const std::string&) { }),
            b("Visible", [](Window& w, bool v) {
                w.d->visible = v;
                if (!w.d->constructing)
                    w.d->window->setVisible(v);
            }),
            b("FullScreen", [](Window& w, bool v) { w.d->fullScreen = v; }),
            b("MenuBarVisible", [](Window& w, bool v) { w.d->menuBarVisible = v; w.d->window->menuBar()->setVisible(v); }),
            b("CloseButton", [](Window& w, bool v) { w.d->closeButton = v; w.d->applyFlags(); }),
            b("Resizeable", [](Window& w, bool v) { w.d->resizeable = v; w.d->applySizeLimits(); }),
            b("LiveResize", [](Window&, bool) { }),
            b("MaximizeButton", [](Window& w, bool v) { w.d->maximizeButton = v; w.d->applyFlags(); }),
            b("MinimizeButton", [](Window& w, bool v) { w.d->minimizeButton = v; w.d->applyFlags(); }),
            i4("MacProcId", [](Window&, std::int32_t) { }),
        };
    });
}

void WindowPrivate::applyFlags()
{
    Qt::WindowFlags flags = Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint;
    if (closeButton)
        flags |= Qt::WindowCloseButtonHint;
    if (minimizeButton)
        flags |= Qt::WindowMinimizeButtonHint;
    if (maximizeButton)
        flags |= Qt::WindowMaximizeButtonHint;
    bool shown = window->isVisible();
    window->setWindowFlags(flags);
    if (shown)
        window->show();
}

void WindowPrivate::applySizeLimits()
{
    if (resizeable) {
        content->setMinimumSize(minWidth, minHeight);
        content->setMaximumSize(maxWidth, maxHeight);
    } else {
        content->setFixedSize(content->size());
    }
}

// A layout grown for a large desktop font may not fit the screen: the window
// opens no larger than the screen's free area, and the controls follow
// their locks into the smaller room.
void WindowPrivate::fitToScreen()
{
    const QScreen* screen = window->screen();
    if (!screen)
        return;
    const QSize room = screen->availableGeometry().size();
    int menuH = menuBarVisible ? window->menuBar()->sizeHint().height() : 0;
    wantW = std::min(wantW, room.width());
    wantH = std::min(wantH, room.height() - menuH);
}

// The menu bar's height is sure only once it is shown (a style may make it
// taller than it said before): a window that still runs past the screen's
// free area gives up the difference.
void WindowPrivate::keepWithinScreen()
{
    const QScreen* screen = window->screen();
    if (!screen)
        return;
    const QSize room = screen->availableGeometry().size();
    const int overW = std::max(0, window->width() - room.width());
    const int overH = std::max(0, window->height() - room.height());
    if (overW > 0 || overH > 0)
        resizeContent(content->width() - overW, content->height() - overH);
}

void WindowPrivate::resizeContent(int w, int h)
{
    wantW = w = std::clamp(w, minWidth, maxWidth);
    wantH = h = std::clamp(h, minHeight, maxHeight);
    // The window's size includes the menu bar. Until the window is shown its
    // layout has not run, so the content's own size cannot be trusted yet.
    int menuH = menuBarVisible ? window->menuBar()->sizeHint().height() : 0;
    window->resize(w, h + menuH);
    if (!window->isVisible())
        return;
    if (window->layout())
        window->layout()->activate();
    int dw = w - content->width(), dh = h - content->height();
    if (dw != 0 || dh != 0) {
        window->resize(window->width() + dw, window->height() + dh);
        if (window->layout())
            window->layout()->activate();
    }
}

void WindowPrivate::applyTabOrder()
{
    std::vector<RectControl*> stops;
    for (auto& entry : controls)
        if (auto* c = dynamic_cast<RectControl*>(entry.second.get()); c && c->TabStop() && c->nativeWidget())
            stops.push_back(c);
    std::stable_sort(stops.begin(), stops.end(), [](auto* a, auto* b) { return a->TabIndex < b->TabIndex; });
    for (std::size_t i = 1; i < stops.size(); ++i)
        QWidget::setTabOrder(static_cast<QWidget*>(stops[i - 1]->nativeWidget()), static_cast<QWidget*>(stops[i]->nativeWidget()));
}

void WindowPrivate::buildMenus()
{
    QMenuBar* bar = window->menuBar();
    bar->clear();
    menuActions.clear();
    if (!menuBar)
        return;
    auto& actions = menuActions;
    auto addItems = [this, &actions](QMenu* menu, const Ref<MenuItem>& parent, auto& self) -> void {
        QObject::connect(menu, &QMenu::aboutToShow, [this] { updateMenuStates(); });
        for (std::int32_t i = 0; i < parent->Count(); ++i) {
            Ref<MenuItem> item = parent->Item(i);
            if (item->IsSeparator()) {
                menu->addSeparator();
                continue;
            }
            QString text = toQString(item->Text);
            if (item->Count() > 0) {
                self(menu->addMenu(text), item, self);
                continue;
            }
            QAction* a = menu->addAction(text);
            a->setObjectName(toQString(item->Name));
            actions.emplace_back(a, item);
            if (!item->KeyboardShortcut.empty())
                a->setShortcut(QKeySequence(toQString(NativeShortcutText(item->KeyboardShortcut))));
            WeakRef<MenuItem> weak = item;
            QObject::connect(a, &QAction::triggered, [weak] {
                if (auto it = weak.lock())
                    RuntimeCallSystemCode([&it] { it->Action(); });
            });
        }
    };
    for (std::int32_t i = 0; i < menuBar->Count(); ++i) {
        Ref<MenuItem> top = menuBar->Item(i);
        QMenu* menu = bar->addMenu(toQString(top->Text));
        menu->setObjectName(toQString(top->Name));
        addItems(menu, top, addItems);
    }
    updateMenuStates();
}

void WindowPrivate::updateMenuStates()
{
    for (auto& [action, weak] : menuActions)
        if (auto item = weak.lock(); item && item->AutoEnable)
            action->setEnabled(item->_CanAct());
}

bool WindowPrivate::pressDefaultButton()
{
    for (auto& entry : controls) {
        auto* button = dynamic_cast<PushButton*>(entry.second.get());
        if (!button || !button->Default())
            continue;
        auto* widget = static_cast<QWidget*>(button->nativeWidget());
        if (!widget || !widget->isEnabled() || !widget->isVisible())
            return false;
        button->Push();
        return true;
    }
    return false;
}

// Without a colour of its own the content keeps the desktop's window colour,
// and so do the controls that inherit it.
void WindowPrivate::applyBackColor()
{
    QPalette p;
    if (hasBackColor)
        p.setColor(QPalette::Window, QColor(backColor.red, backColor.green, backColor.blue));
    content->setPalette(p);
    content->setAutoFillBackground(hasBackColor);
}

void Window::Constructor()
{
    d->constructing = true;
    Layout();
    CreateControls();
    d->constructing = false;
    d->applyTabOrder();
    d->open = true;
    RegisterFrameworkWindow(std::static_pointer_cast<Window>(self()));
    if (d->visible) {
        if (d->fullScreen) {
            d->window->showFullScreen();
            d->resizeContent(d->wantW, d->wantH);
        } else {
            d->fitToScreen();
            d->window->show();
            d->resizeContent(d->wantW, d->wantH);
            d->keepWithinScreen();
        }
    }
    for (auto& entry : d->controls)
        if (auto* control = dynamic_cast<RectControl*>(entry.second.get()))
            control->Event_Open();
    Event_Open();
}

Ref<fw::MenuBar> Window::MenuBar() const
{
    return d->menuBar;
}

void Window::SetMenuBar(const Ref<fw::MenuBar>& bar)
{
    d->menuBar = bar;
    d->buildMenus();
}

void Window::AcceptFileDrop(const std::string& types)
{
    d->acceptedTypes += types;
    d->window->setAcceptDrops(true);
}

const std::string& Window::AcceptedFileTypes() const
{
    return d->acceptedTypes;
}

Ref<Object> Window::__New(const ClassInfo& cls)
{
    Ref<Object> o = RuntimeNewObject(cls);
    if (auto* control = dynamic_cast<RectControl*>(o.get()))
        control->attachToWindow(this);
    return o;
}

void Window::_AddControl(const Ref<Object>& control, const std::string& name)
{
    if (!control)
        throw NilObjectException();
    d->controls.emplace_back(name, control);
    if (auto* child = dynamic_cast<_PaneChild*>(control.get()))
        child->_SetWindow(std::static_pointer_cast<Window>(self()));
}

Ref<Object> Window::_ControlByName(const std::string& name) const
{
    for (auto& [n, c] : d->controls)
        if (n == name)
            return c;
    return nullptr;
}

std::vector<Ref<Object>> Window::Controls() const
{
    std::vector<Ref<Object>> out;
    for (auto& entry : d->controls)
        out.push_back(entry.second);
    return out;
}

std::int32_t Window::contentPixelWidth() const { return d->window->isVisible() ? d->content->width() : d->wantW; }
std::int32_t Window::contentPixelHeight() const { return d->window->isVisible() ? d->content->height() : d->wantH; }
double Window::LayoutScale() const { return d->scale; }
std::int32_t Window::Width() const { return PixelsToUnits(contentPixelWidth(), d->scale); }
std::int32_t Window::Height() const { return PixelsToUnits(contentPixelHeight(), d->scale); }
void Window::SetWidth(std::int32_t w) { d->resizeContent(UnitsToPixels(w, d->scale), contentPixelHeight()); }
void Window::SetHeight(std::int32_t h) { d->resizeContent(contentPixelWidth(), UnitsToPixels(h, d->scale)); }
std::int32_t Window::MinWidth() const { return PixelsToUnits(d->minWidth, d->scale); }
std::int32_t Window::MinHeight() const { return PixelsToUnits(d->minHeight, d->scale); }
std::int32_t Window::MaxWidth() const { return PixelsToUnits(d->maxWidth, d->scale); }
std::int32_t Window::MaxHeight() const { return PixelsToUnits(d->maxHeight, d->scale); }
std::string Window::Title() const { return d->window->windowTitle().toStdString(); }
bool Window::Visible() const { return d->window->isVisible(); }
bool Window::CloseButton() const { return d->window->windowFlags().testFlag(Qt::WindowCloseButtonHint); }
bool Window::MinimizeButton() const { return d->window->windowFlags().testFlag(Qt::WindowMinimizeButtonHint); }
bool Window::MaximizeButton() const { return d->window->windowFlags().testFlag(Qt::WindowMaximizeButtonHint); }
bool Window::Resizeable() const { return d->resizeable && d->content->minimumSize() != d->content->maximumSize(); }

void Window::Close()
{
    d->window->close();
    d->open = false;
    // A control that holds its window would keep it alive for ever.
    for (auto& entry : d->controls)
        if (auto* child = dynamic_cast<_PaneChild*>(entry.second.get()))
            child->_SetWindow(nullptr);
}

bool Window::IsOpen() const
{
    return d->open;
}

void* Window::nativeContent() const { return d->content; }
void* Window::nativeWindow() const { return d->window; }

void Window::deliverDrop(const Ref<DragItem>& items, std::int32_t action)
{
    Ref<Object> hold = self();
    RuntimeCallSystemCode([&] { Event_DropObject(items, action); });
}

void Window::contentResized()
{
    std::int32_t w = d->content->width(), h = d->content->height();
    for (auto& l : d->resizeListeners)
        l(w, h);
}

void Window::addResizeListener(std::function<void(std::int32_t, std::int32_t)> listener)
{
    d->resizeListeners.push_back(std::move(listener));
}

}
