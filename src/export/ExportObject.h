#pragma once
// What the two writers share: the four objects StartObject hands them (only
// the data-access and message objects are used) and the ways they tell the
// user something.
#include <QPointer>
#include <QString>
#include <memory>

class QObject;
class clsDO;
class clsError;
class clsTablas;

class ExportObject {
public:
    ExportObject(const ExportObject&) = delete;
    ExportObject& operator=(const ExportObject&) = delete;

    // Stores the owner, the data-access, message and services objects; true.
    bool StartObject(QObject* oParent, std::shared_ptr<clsDO> ObjetoConsulta, std::shared_ptr<clsError> ObjetoError,
                     std::shared_ptr<clsTablas> ObjetoTablas);

    // Rows read and written at a time (0: the writer's own); the file is the
    // same whatever the number.
    void setBlockRows(long long rows) { blockRows_ = rows; }

protected:
    explicit ExportObject(QString component) : component_(std::move(component)) {}
    ~ExportObject() = default;

    // A notice (style 64, "Aviso").
    void notice(const QString& text) const;
    // The class report: "Error en" the procedure text and the component, style 16.
    void report(const QString& procedureText) const;

    QPointer<QObject> parent_;
    std::shared_ptr<clsDO> zolt_;
    std::shared_ptr<clsError> msg_;
    std::shared_ptr<clsTablas> scr_;
    long long blockRows_ = 0;

private:
    QString component_;
};
