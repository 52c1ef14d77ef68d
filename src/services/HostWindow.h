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
