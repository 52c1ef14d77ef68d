#include "clsError.h"

#include "TranslationStore.h"
#include "frmMsgBox.h"

clsError::clsError() = default;
clsError::~clsError() = default;

frmMsgBox* clsError::Dialog() const { return dialog_.data(); }

std::int32_t clsError::MsgBox(ByRef<QString>, std::int32_t, ByRef<QString>, ByRef<QString>, bool) { return 1; }
bool clsError::TakeEventsPpal(const QString&, const QString&, const Variant&) { return true; }
void clsError::MostrarError(const QString&, const QString&, std::int32_t, const QString&) {}
bool clsError::AddMultiMsg(const QString& WhichMsg)
{
    multiMsg_ += WhichMsg + QStringLiteral("\r\n");
    return true;
}
std::int32_t clsError::ShowMultiMsg(std::int32_t, const QString&, const QString&) { return 1; }
bool clsError::EmptyMultiMsg()
{
    if (!silent_)
        multiMsg_.clear();
    return true;
}
bool clsError::ExistsMultiMsg() { return !multiMsg_.isEmpty(); }
void clsError::setNesko(std::shared_ptr<clsDO>) {}
void clsError::setTranslationStore(std::shared_ptr<TranslationStore> store) { store_ = std::move(store); }
void clsError::setLanguage(const QString& name) { language_ = name; }
QString clsError::Translate(const QString& OriginalString, bool, const QString&) { return OriginalString; }
QString clsError::UnDoTranslate(const QString& OriginalString) { return OriginalString; }
void clsError::TransMe(QWidget*, bool) {}
void clsError::TransReport(QObject*, bool) {}
void clsError::TransControl(QObject*, QObject*, bool) {}
void clsError::DisableAllTimers(QObject*) {}
double clsError::textWidthTwips(const QString&) const { return 0; }
double clsError::textHeightTwips(const QString&) const { return 0; }

void ReportError(clsError*, const QString&, const Error&) {}
