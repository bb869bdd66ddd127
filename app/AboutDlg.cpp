// SPDX-License-Identifier: GPL-3.0-or-later
#include "AboutDlg.h"

#include <QPushButton>

#include "AppIcon.h"
#include "ControlIds.h"
#include "DialogTemplate.h"

namespace orvane {

namespace {

using K = ControlKind;

constexpr ControlTemplate kAboutControls[] = {
    {kNoControlId, K::Icon, "", 6, 4, 20, 20},
    {kNoControlId, K::CentredLabel, "Orvane", 43, 4, 77, 8},
    {kNoControlId, K::CentredLabel, "Orvane team, ov@example.org", 27, 13, 109, 8},
    {IDC_EXIT, K::DefaultPushButton, "OK", 139, 2, 22, 22},
};

}  // namespace

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent)
{
    const auto controls = SetUpTemplateWindow(this, QStringLiteral("About"), 9, QSize(163, 26), kAboutControls);
    setWindowIcon(AppIcon());
    auto* ok = qobject_cast<QPushButton*>(controls.value(IDC_EXIT));
    ok->setAutoDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
}

}  // namespace orvane
