#pragma once

#include <QDialog>

#include <cstdint>
#include <string>

// The modal "About" window: the program's title, version, broker number and data folder.
class TfrmAbout : public QDialog
{
    Q_OBJECT

public:
    TfrmAbout(const std::string &title, const std::string &dataFolder, int32_t brokerNumber,
              QWidget *parent = nullptr);
};
