// Dialogs as data: a title and a list of controls, each with its id (the control's object name,
// so that tests and accessibility tools find it), its text and its place in a grid. The builder
// turns a description into a modal Qt dialog owned by the main window.
#pragma once
#include <QDialog>
#include <QString>
#include <cstdint>
#include <memory>

enum class ControlKind : uint8_t {
    Text,          // a static text
    Button,        // a push button; id 1 ("OK") closes the dialog the way the close box does
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
    int id; // the object name, as a number; 0 for a text nothing refers to, below 0 for a group
            // box that has no id of its own
    const char* text; // the caption ("\n" breaks a line), or the icon's name
    int parent;       // the id of the group box the control sits in; 0 for the dialog itself
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

// The object name of a control id.
QString ControlName(int id);
// A control of a built dialog by its id, or null.
template <class T> T* ControlOf(QDialog* dialog, int id) {
    return dialog->findChild<T*>(ControlName(id));
}
