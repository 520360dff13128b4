#pragma once

#include "framework/ui/ui_driver.h"

#include <QAction>
#include <QMenuBar>
#include <QPointer>

#include <functional>
#include <map>
#include <memory>
#include <vector>

class QMdiArea;
class QMdiSubWindow;
class QWidget;

namespace oca::qt {

class FormView;
class ProgressNotice;

/// The desktop's dialogs: errors, questions, the search windows, modal forms, the
/// progress notice and the wait cursor. Forms shown without blocking become document
/// windows of the MDI area given (top-level windows without one).
class QtUiDriver : public UiDriver {
public:
    explicit QtUiDriver(QMdiArea* mdiArea = nullptr);
    ~QtUiDriver() override;

    void ShowError(const std::string& text) override;
    void ShowWarning(const std::string& text) override;
    bool Confirm(const std::string& text) override;
    bool Pesquisar(TDataSource& source, const std::string& title,
                   const std::string& emptyText) override;
    bool PesquisaLista(TDataSource& source, const std::string& keyField, const std::string& title,
                       const std::string& emptyText, std::vector<std::string>& keys) override;
    TModalResult ShowModal(TForm& form) override;
    void ShowForm(TForm& form) override;
    void ShowProgress(TComponent* owner, int animation, const std::string& text) override;
    void HideProgress() override;
    bool ProgressGoesOn(const std::string& text) override;
    void SetCursor(TCursor cursor) override;
    void ShowStatus(const std::string& text) override;
    bool InputQuery(const std::string& caption, const std::string& prompt,
                    std::string& value) override;
    void ShowHelp(const std::string& helpFile, int context) override;
    std::optional<std::string> AskSaveFile(const std::string& title, const std::string& suggested,
                                           const std::string& filter) override;
    bool SaveImage(TControl& control, const std::string& path) override;
    std::vector<std::string> AskOpenFiles(const std::string& title,
                                          const std::string& filter) override;
    bool OpenDocument(const std::string& path) override;
    std::string WritePdf(const ReportDocument& report, const std::string& path) override;
    std::optional<std::string> MakeThumbnail(const std::string& path) override;

    /// The rendering of a form shown through this driver, or nullptr.
    FormView* ViewOf(const TForm& form) const;
    /// The window a dialog should stand over.
    QWidget* DialogParent() const;

private:
    struct Window;
    Window& WindowOf(TForm& form, bool modal);
    void Forget(const TForm* form);
    void MergeMenus(QMdiSubWindow* active);
    std::vector<QPointer<QAction>> merged_;
    QPointer<QMenuBar> mergedBar_;

    QPointer<QMdiArea> mdi_;
    std::map<const TForm*, std::unique_ptr<Window>> windows_;
    std::unique_ptr<ProgressNotice> progress_;
    bool waitCursor_ = false;
    bool showingForm_ = false;
};

} // namespace oca::qt
