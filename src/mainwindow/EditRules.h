#pragma once
// The SQL editor's rules that need no window: the re-indenting of a
// statement, the layout of a resize and the colouring delay.
#include <QString>
#include <cstdint>
#include <functional>

namespace EditRules {

// Reformats a statement with line breaks and indentation: level 0 for the
// whole statement, one more for each parenthesised group. CR LF in and out.
// '...' literals (doubled quotes inside), "..." and [...] names, "--"
// comments (to their line end) and the user's own "|" and "{" are set aside
// first and put back at the end, so only whitespace and keyword case change
// outside them and nothing inside them; a comment put back always ends its
// line. A "(" without its ")" ends the group pass: the rest stays plain text.
QString Identar(const QString& text, std::int16_t level = 0);

// --- layout (all twips)

constexpr double MinimumHeight = 4000;
constexpr double MinimumWidth = 8000;

struct ResizeInput {
    double Width = 0, Height = 0;     // the window's outer size
    bool Visible = true, Minimised = false;
    double CaptionHeight = 0, FrameWidth = 0, FrameHeight = 0; // the main window's frame measures
    double TextLeft = 90, TextTop = 1050; // txtSQL's place
    double SalirWidth = 795;
};

struct ResizeResult {
    double Width = 0, Height = 0;     // the outer size, raised to the minimum
    bool Placed = false;              // false: visible and not minimised did not hold
    double TextWidth = 0, TextHeight = 0;
    double SalirLeft = 0;
    double LineX2 = 0;                // right end of both separator lines
};

ResizeResult resize(const ResizeInput& in);

// --- colouring delay

// Colouring comes once, no sooner than Delay after the last change.
class ColouringDelay {
public:
    static constexpr qint64 Delay = 1000; // ms

    // The change handler: now in ms of a monotonic clock. True when the
    // timer is to run (the text differs from the last one seen).
    bool changed(const QString& text, qint64 now);
    // Sets the last seen text without a change (comment, uncomment, re-indent).
    void setLastSeen(const QString& text) { lastSeen_ = text; }
    QString lastSeen() const { return lastSeen_; }
    // A timer tick: true when a colouring is pending and it is time for it
    // (the delay is then disarmed); else remaining gets the ms still to wait.
    bool tick(qint64 now, qint64* remaining = nullptr);
    bool armed() const { return armed_; }
    qint64 lastChange() const { return lastChange_; }

private:
    QString lastSeen_;
    qint64 lastChange_ = 0;
    bool armed_ = false;
};

} // namespace EditRules
