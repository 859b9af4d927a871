#pragma once

// "Coordinate System from EPSG": a search over the EPSG register by code,
// name or area of use as the surveyor types, the transformations of the
// chosen system's datum to WGS-84, and the fields they fill. Systems and
// transformations the program cannot take are listed greyed, and choosing
// one says why.

#include <QDialog>
#include <memory>
#include <optional>

#include "crs/epsg_register.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace nivora {

class CrsPicker : public QDialog {
    Q_OBJECT

  public:
    // `current`: the settings' fields, which the choice fills over.
    CrsPicker(const geodesy::GeodeticParameters& current, QWidget* parent = nullptr);
    ~CrsPicker() override;

    // The fields of the accepted choice, with its code and transformation.
    const std::optional<crs::Filled>& chosen() const { return chosen_; }
    int chosenCode() const { return chosenCode_; }
    // The texts the window shows (tests drive it through them).
    void search(const QString& text);
    int matches() const;
    bool choose(int row);
    QString status() const;

  private:
    void showTransformations();
    void fillChoice();

    geodesy::GeodeticParameters current_;
    std::unique_ptr<crs::EpsgRegister> register_;
    std::vector<crs::CrsMatch> found_;
    std::vector<crs::TransformationMatch> transformations_;
    QLineEdit* search_ = nullptr;
    QListWidget* list_ = nullptr;
    QComboBox* transformation_ = nullptr;
    QLabel* status_ = nullptr;
    QPushButton* ok_ = nullptr;
    std::optional<crs::Filled> chosen_;
    int chosenCode_ = 0;
};

}  // namespace nivora
