#pragma once

// What the settings dialog previews on the main window while it is open: translucency on or
// off and its alpha, and the stored values put back when the dialog closes unsaved.
class OpacityPreview {
public:
    virtual void setAlphaBlend(bool on) = 0;
    virtual void setAlpha(int alpha) = 0;
    virtual void applyStoredTranslucency() = 0;

protected:
    ~OpacityPreview() = default;
};
