#include "Wizard/FSubtitle.gui.h"

#include <QComboBox>
#include <QFormLayout>

#include <iterator>

#include "Wizard/FileNameField.gui.h"
#include "Wizard/FilterColorList.gui.h"

namespace {

constexpr const char* kSubtitleFileFilter =
    "SSA Files(*.ssa)|*.ssa|ASS Files(*.ass)|*.ass|SRT Files(*.srt)|*.srt|"
    "Other Subtitle Files(*.txt)|*.txt";

}  // namespace

const char* const kCodePageNames[] = {
    "ISO-2022-JP", "ISO-2022-JP-1", "ISO-2022-JP-2", "ISO-8859-1",  "ISO-8859-2",     "ISO-8859-3",
    "ISO-8859-4",  "ISO-8859-5",    "ISO-8859-6",    "ISO-8859-7",  "ISO-8859-8",     "ISO-8859-9",
    "ISO-8859-10", "ISO-8859-13",   "ISO-8859-14",   "ISO-8859-15", "ISO-8859-16",    "KOI8-R",
    "KOI8-U",      "KOI8-RU",       "cp1250",        "cp1251",      "cp1252",         "cp1253",
    "cp1254",      "cp1255",        "cp1256",        "cp1257",      "cp850",          "cp862",
    "cp866",       "cp932",         "cp1131",        "EUC-JP",      "SHIFT_JIS",      "EUC-CN",
    "HZ",          "GBK",           "CP936",         "GB18030",     "EUC-TW",         "BIG5",
    "CP950",       "BIG5-HKSCS",    "ISO-2022-CN",   "ISO-2022-CN-EXT", "EUC-KR",     "CP949",
    "ISO-2022-KR", "JOHAB",         "VISCII",        "TCVN",        "CP1258",         "UTF-8",
    "UCS-2",       "UCS-2BE",       "UCS-2LE",       "UCS-4",       "UCS-4BE",        "UCS-4LE",
    "UTF-16",      "UTF-16BE",      "UTF-16LE",      "UTF-32",      "UTF-32BE",       "UTF-32LE",
    "UTF-7",
};
const int kCodePageCount = static_cast<int>(std::size(kCodePageNames));

TFormSubtitleFilter::TFormSubtitleFilter(QWidget* Parent)
    : TFilterFormOf(QStringLiteral("字幕设置"), Parent) {
  edtSubtitleFile = new TFileNameField(QStringLiteral("edtSubtitleFile"), QString::fromLatin1(kSubtitleFileFilter));
  edtFontFile = new TFileNameField(QStringLiteral("edtFontFile"), QString::fromLatin1(kFontFileFilter));
  cbFontColor = Named(new TColorList, "cbFontColor");
  cbFontColor->SetColor(clYellow);
  cbCodePage = Named(new QComboBox, "cbCodePage");
  cbCodePage->setEditable(true);
  cbCodePage->setInsertPolicy(QComboBox::NoInsert);
  for (const char* name : kCodePageNames) cbCodePage->addItem(QString::fromLatin1(name));
  cbCodePage->setCurrentIndex(-1);
  cbCodePage->setEditText(QString());

  auto* form = new QFormLayout;
  form->addRow(QStringLiteral("字幕文件"), edtSubtitleFile);
  form->addRow(QStringLiteral("字体文件"), edtFontFile);
  form->addRow(QStringLiteral("字体颜色"), cbFontColor);
  form->addRow(QStringLiteral("Code Page"), cbCodePage);
  Finish(form, QStringLiteral("确定"), QStringLiteral("放弃"));
  edtSubtitleFile->setFocus();
}

bool TFormSubtitleFilter::CanConfirm() const {
  return edtSubtitleFile->FileExists() && edtFontFile->FileExists();
}

void TFormSubtitleFilter::Load(const TSubtitleFilter& Filter) {
  edtSubtitleFile->SetFileName(QString::fromStdString(Filter.SubtitleFile()));
  edtFontFile->SetFileName(QString::fromStdString(Filter.FontFile()));
  cbFontColor->SetColor(Filter.FontColor());
  cbCodePage->setEditText(QString::fromStdString(Filter.CodePage()));
}

void TFormSubtitleFilter::Store(TSubtitleFilter& Filter) const {
  Filter.SetSubtitleFile(edtSubtitleFile->FileName().toStdString());
  Filter.SetFontFile(edtFontFile->FileName().toStdString());
  Filter.SetFontColor(cbFontColor->Color());
  Filter.SetCodePage(cbCodePage->currentText().trimmed().toStdString());
}
