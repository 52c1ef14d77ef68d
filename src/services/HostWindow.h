#pragma once
// What the services object reads of its host window: the working data-access
// object shared with every query page. The main window implements it.
#include <memory>

class clsDO;

class QueryObjectHost {
public:
    virtual ~QueryObjectHost() = default;
    virtual std::shared_ptr<clsDO> oConsulta() = 0;
};

// What a query page and the windows it opens read of the main window: its
// state and place (to size and place their own windows beside it), its
// caption, text measures in its font and the frame measures it took from the
// window system. Measures are twips.
class QString;

class PageHost {
public:
    virtual ~PageHost() = default;
    virtual int WindowState() const = 0; // 0 normal, 1 minimised, 2 maximised
    virtual QString Caption() const = 0;
    virtual double Top() const = 0;
    virtual double Height() const = 0;
    virtual double TextWidth(const QString& text) const = 0;
    virtual double CaptionHeight() const = 0;
    virtual double FrameWidth() const = 0;
    virtual double FrameHeight() const = 0;
};
