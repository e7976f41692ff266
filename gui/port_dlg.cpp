// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/port_dlg.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "bus/probe_lines.h"
#include "gui/shell/command_ids.h"
#include "ports/port_listing.h"
#include "ports/port_table.h"

namespace plover {

namespace {

// What --list-ports says for each backend that found nothing and knows how to
// get a port.
QString NoneFoundText(const std::vector<ports::ListedPort>& ports) {
  QStringList lines;
  for (const std::string_view line : ports::NoneFoundLines(ports)) {
    lines << QString::fromUtf8(line.data(), static_cast<qsizetype>(line.size()));
  }
  return lines.join(u'\n');
}

// A listed port's value as a specification: "sim[:FILE]" offers "sim", the
// board in memory.
QString SpecOfListed(const QString& listed) { return listed.section(u'[', 0, 0); }

QTreeWidget* MakePortList(const std::vector<ports::ListedPort>& ports, QWidget* parent) {
  auto* list = new QTreeWidget(parent);
  list->setHeaderLabels({QStringLiteral("--port"), QStringLiteral("What it is"),
                         QStringLiteral("Whether you may open it")});
  list->setRootIsDecorated(false);
  list->setAllColumnsShowFocus(true);
  for (const ports::ListedPort& port : ports) {
    auto* row = new QTreeWidgetItem(
        list, {QString::fromStdString(port.spec), QString::fromStdString(port.description),
               QString::fromStdString(port.access)});
    row->setToolTip(2, row->text(2));
  }
  list->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
  return list;
}

}  // namespace

CPortDlg::CPortDlg(const std::vector<ports::ListedPort>& ports, const QString& current,
                   PortProbe probe, QWidget* parent)
    : QDialog(parent), probe_(std::move(probe)) {
  setWindowTitle(QStringLiteral("Port"));
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(new QLabel(QStringLiteral("Ports on this machine:"), this));
  list_ = MakePortList(ports, this);
  layout->addWidget(list_);
  if (const QString none = NoneFoundText(ports); !none.isEmpty()) {
    auto* none_label = new QLabel(none, this);
    none_label->setWordWrap(true);
    layout->addWidget(none_label);
  }

  layout->addWidget(new QLabel(QStringLiteral("Port (any --port specification):"), this));
  auto* field_row = new QHBoxLayout();
  field_ = new QLineEdit(current, this);
  test_ = new QPushButton(QStringLiteral("&Test"), this);
  test_->setAutoDefault(false);
  field_row->addWidget(field_);
  field_row->addWidget(test_);
  layout->addLayout(field_row);

  report_ = new QPlainTextEdit(this);
  report_->setReadOnly(true);
  report_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  report_->setLineWrapMode(QPlainTextEdit::WidgetWidth);
  layout->addWidget(report_);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  ok_ = buttons->button(QDialogButtonBox::Ok);
  layout->addWidget(buttons);

  connect(list_, &QTreeWidget::itemSelectionChanged, this, [this] { TakeListedPort(); });
  connect(test_, &QPushButton::clicked, this, [this] { OnTest(); });
  connect(buttons, &QDialogButtonBox::accepted, this, &CPortDlg::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &CPortDlg::reject);
  resize(720, 460);
  field_->setFocus();
}

QString CPortDlg::Report() const { return report_->toPlainText(); }

void CPortDlg::ShowReport(const QString& text) { report_->setPlainText(text); }

void CPortDlg::TakeListedPort() {
  const QList<QTreeWidgetItem*> selected = list_->selectedItems();
  if (selected.isEmpty()) return;
  field_->setText(SpecOfListed(selected.front()->text(0)));
}

std::optional<bus::PortSpec> CPortDlg::CheckField() {
  const QString text = field_->text().trimmed();
  ports::PortSpecResult parsed = ports::ParsePortSpec(text.toStdString());
  if (!parsed.spec) {
    ShowReport(QString::fromStdString(parsed.error));
    return std::nullopt;
  }
  return std::move(parsed.spec);
}

void CPortDlg::OnTest() {
  const std::optional<bus::PortSpec> spec = CheckField();
  if (!spec) return;
  ShowReport(QStringLiteral("Testing %1...").arg(QString::fromStdString(spec->Text())));
  QApplication::setOverrideCursor(Qt::WaitCursor);
  const bus::ProbeReport report = probe_(*spec);
  QApplication::restoreOverrideCursor();
  QStringList lines{QStringLiteral("Test of %1:").arg(QString::fromStdString(spec->Text()))};
  for (const bus::ProbeLine& line : bus::DescribeProbe(report)) {
    lines << QString::fromStdString(line.text);
  }
  lines << (report.AllAnswer() ? QStringLiteral("The board answers through this port.")
                               : QStringLiteral("The board does not answer as it should."));
  ShowReport(lines.join(u'\n'));
}

void CPortDlg::accept() {
  chosen_ = CheckField();
  if (chosen_) done(shell::IDOK);
}

void CPortDlg::reject() {
  chosen_.reset();
  done(shell::IDCANCEL);
}

}  // namespace plover
