#pragma once

// Toolkit side of the framework's windows; included only by framework/gui.

#include "framework/gui/Window.h"

#include <QAction>
#include <QMainWindow>
#include <QPointer>
#include <QWidget>
#include <functional>
#include <map>

namespace fw {

class NativeWindow;
class ContentWidget;

// Layout units to the toolkit's pixels and back, at a window's scale.
int UnitsToPixels(std::int32_t units, double scale);
std::int32_t PixelsToUnits(int pixels, double scale);

struct WindowPrivate {
    Window* owner = nullptr;
    NativeWindow* window = nullptr;
    ContentWidget* content = nullptr;
    Ref<fw::MenuBar> menuBar;
    std::string acceptedTypes;
    std::vector<std::pair<std::string, Ref<Object>>> controls;
    std::vector<std::function<void(std::int32_t, std::int32_t)>> resizeListeners;

    std::int32_t minWidth = 64, minHeight = 64, maxWidth = 32000, maxHeight = 32000;
    bool hasBackColor = false, visible = true, fullScreen = false;
    bool menuBarVisible = true, closeButton = true, resizeable = true;
    bool maximizeButton = true, minimizeButton = true;
    Color backColor { 255, 255, 255 };
    // Pixels per layout unit; the limits and wantW/wantH are in pixels.
    double scale = 1;
    int wantW = 640, wantH = 480;
    bool constructing = false;
    bool open = false;
    // The menu bar's items as shown, each beside the item it stands for.
    std::vector<std::pair<QAction*, WeakRef<MenuItem>>> menuActions;

    // Clicks the window's default button when it is enabled and shown.
    bool pressDefaultButton();
    // Enables each shown menu item by whether something can carry it out now.
    void updateMenuStates();
    void applyBackColor();

    void applyFlags();
    void applySizeLimits();
    void resizeContent(int w, int h);
    // Pixels per layout unit for the desktop's font on that device.
    static double desktopLayoutScale(const QPaintDevice* device);
    void fitToScreen();
    void keepWithinScreen();
    void buildMenus();
    void applyTabOrder();
};

// What a control does for the Edit menu's items while its widget has the
// focus: whether it can carry an item out right now, and carrying it out.
struct EditHandler {
    std::function<bool(const std::string& itemName)> canPerform;
    std::function<void(const std::string& itemName)> perform;
};
void RegisterEditHandler(QWidget* widget, EditHandler handler);
void UnregisterEditHandler(QWidget* widget);
// Whether a handler is registered under that address; the widget is not
// touched, so a dead widget's address may be asked about.
bool HasEditHandler(const QWidget* widget);

}
