#pragma once

// The dialogs the analyses and the tag commands open, each run modally over a parent window.

#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <string>

#include "seam/user_interface.h"

class QWidget;
class COrvoLinkDict;

// "Возможные документы для простановки ссылок": several documents fit a line.
SelectDocumentsResult RunSelectOrvoDocDlg(QWidget* parent, const SelectDocumentsRequest& request);
// "Параметры тега внутрибазовой гиперссылки": link kind, line and keys for a chosen document.
InnerTagAnswer RunInsertInnerTagDlg(QWidget* parent, const InnerTagRequest& request);
// "Учитываемые реквизиты": which recognised requisites count, and which base.
bool RunSelectRecvDlg(QWidget* parent, CDocRecvisits& requisites, bool& localBase);

// "Тег внутрибазовой гиперссылки": the view's manual intra-base tag; the composed tag line and the
// document number as typed.
struct InnerTagEntry {
    std::string tag;        // code page 1251
    std::string numberText; // as typed
};
// accepts (may be empty): the lookup of the typed number on OK; false keeps the dialog open.
std::optional<InnerTagEntry> RunInnerTagDlg(QWidget* parent, const std::deque<std::int32_t>& recentNumbers,
    const std::function<bool(const std::string&)>& accepts = {});
// "Номер документа базы Орво": the text of its number box on OK.
std::optional<std::string> RunSelectNumDlg(QWidget* parent, const std::deque<std::int32_t>& recentNumbers,
    const COrvoLinkDict& notepad, const std::function<bool(const std::string&)>& accepts = {});
// "Блокнот" picker: the number in base of the chosen notepad entry.
std::optional<std::int32_t> RunBlocknoteDlg(QWidget* parent, const COrvoLinkDict& notepad);
