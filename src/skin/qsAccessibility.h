#pragma once

class QObject;

// Makes the message window and its self-drawn controls readable by assistive technology
// (screen readers, and tests that read a window the way they do): the label is static text
// named by what it shows, push buttons and check boxes are named by their captions without
// the access-key marker (the window's own English words in Russian) and can be pressed,
// check boxes tell their state, and the message window is an alert named by its caption and
// described by its text. Installs itself once;
// every control of the message window calls it when it is made.
void InstallSkinAccessibility();

// Announces to assistive technology that a control's name or check state changed.
void AnnounceNameChange(QObject* control);
void AnnounceCheckStateChange(QObject* control);
