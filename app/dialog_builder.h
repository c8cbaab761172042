// Dialogs as data: a title and a list of controls, each with its name (the control's object
// name, by which the dialog's handler, the settings table, tests and accessibility tools find it),
// its text and its place in a grid. The builder turns a description into a modal Qt dialog owned by
// the main window.
#pragma once
#include <QDialog>
#include <QString>
#include <cstdint>
#include <memory>

enum class ControlKind : uint8_t {
    Text,          // a static text
    Button,        // a push button; "ok" closes the dialog the way the close box does
    DefaultButton, // the push button that Enter presses
    CheckBox,
    Radio,     // exclusive with the other radio buttons of its group box
    PushRadio, // a radio button drawn as a push button
    Group,     // a group box; the controls naming it as parent sit in its grid
    Slider,    // horizontal, ticks below; range and ticks are set by the dialog's handler
    Edit,      // a one-line edit field
    Icon,      // one of the program's icons, named by the text ("AppIcon", "130", "135")
};

struct ControlDescription {
    ControlKind kind;
    const char* name;   // the object name; null for a text or icon nothing refers to
    const char* text;   // the caption ("\n" breaks a line), or the icon's name
    const char* parent; // the name of the group box the control sits in; null for the dialog
    uint8_t row, column, rowSpan, columnSpan; // place in the parent's grid (spans 0 count as 1)
};

struct DialogDescription {
    const char* resource; // the dialog's name, also the QDialog's object name
    const char* title;
    const ControlDescription* controls; // group boxes come before the controls inside them
    int count;
};

// Builds the dialog, modal and owned by the main window. The caller runs it with exec() and
// reads its controls after it has closed.
std::unique_ptr<QDialog> BuildDialog(const DialogDescription& description);

// A control of a built dialog by its name, or null.
template <class T> T* ControlOf(QDialog* dialog, const char* name) {
    return dialog->findChild<T*>(QString::fromLatin1(name));
}
