#pragma once

#include "storage/StateTable.h"

#include <QDialog>

#include <cstdint>
#include <string>
#include <vector>

class QLabel;
class QListWidget;
class QPushButton;

// A state the choice offers: its trimmed name and its State_ID.
struct TOfferedState
{
    std::string name;
    std::string stateID;
};

// The rows of `rows`, in table order, whose trimmed Broker_ID is the broker number and, when
// only one state is to be chosen, whose Active flag is set.
std::vector<TOfferedState> OfferedStates(const std::vector<TStateRow> &rows, int32_t brokerNumber,
                                         bool multipleSelection);

// The modal "New Quote" window: the offered states in `lstPlans`, the first preselected.
// "&Select" accepts (a double click too when one state is chosen), "C&ancel" rejects.
class TfrmNewQuote : public QDialog
{
    Q_OBJECT

public:
    TfrmNewQuote(const std::vector<TOfferedState> &states, bool multipleSelection,
                 QWidget *parent = nullptr);

    // The selected states, in list order.
    std::vector<TOfferedState> SelectedStates() const;

    QLabel *lblChoose = nullptr;
    QListWidget *lstPlans = nullptr;
    QPushButton *btnSelect = nullptr;
    QPushButton *btnCancel = nullptr;
};
