#pragma once
// One page of a property sheet. The sheet fills a page when it first becomes active, tells it
// each time it becomes active, and takes and checks its data when the user leaves it or
// confirms the sheet; a page whose check fails stays active. Private messages posted to a page
// run its message handler.

#include <QString>
#include <QWidget>

#include <cstdint>

class DataExchange;
class PropertySheet;

class PropertyPage : public QWidget {
  public:
    explicit PropertyPage(const QString& caption, QWidget* parent = nullptr);

    const QString& Caption() const { return caption; }
    // The sheet that holds the page; none while the page stands alone.
    PropertySheet* Sheet() const { return sheet; }

    // Fills the controls (false) or takes and checks them (true); false when a check failed.
    bool UpdateData(bool saveAndValidate = true);

    // Once, when the page first becomes active: fills the controls.
    virtual void OnInitDialog();
    // Each time the page becomes active, after OnInitDialog the first time; from the second
    // time on it fills the controls again.
    virtual void OnSetActive();
    // When the user leaves the page or confirms the sheet; false keeps the page active.
    virtual bool OnKillActive();

  protected:
    virtual void DoDataExchange(DataExchange& dx);
    virtual void OnMessage(uint32_t message, intptr_t wParam, intptr_t lParam);

    bool event(QEvent* event) override;

  private:
    friend class PropertySheet;
    // Makes the page active: the first time OnInitDialog, then OnSetActive.
    void Activate();

    QString caption;
    PropertySheet* sheet = nullptr;
    bool initialized = false;
    bool shownBefore = false;
};
