#pragma once
// Recorders for the framework tests: a trace of dataset events and link
// notices as one ";"-separated string, a link that records every notice, and
// a minimal edit-box control bound through a TFieldDataLink.
#include <string>
#include <vector>

#include "framework/TDataLink.h"
#include "framework/TDataSet.h"
#include "framework/TDataSource.h"
#include "framework/TField.h"
#include "framework/TFieldDataLink.h"

namespace framework::testing {

class Trace {
 public:
  void Add(std::string entry) { entries_.push_back(std::move(entry)); }
  // The entries so far, joined with ";", and forgets them.
  std::string Take() {
    std::string joined;
    for (const auto& entry : entries_) {
      if (!joined.empty()) joined += ';';
      joined += entry;
    }
    entries_.clear();
    return joined;
  }

 private:
  std::vector<std::string> entries_;
};

// Records every dataset event by its name.
inline void RecordEvents(TDataSet& dataSet, Trace& trace) {
  auto hook = [&trace](TDataSet::TDataSetNotifyEvent& event, const char* name) {
    event = [&trace, name](TDataSet&) { trace.Add(name); };
  };
  hook(dataSet.BeforeOpen, "BeforeOpen");
  hook(dataSet.AfterOpen, "AfterOpen");
  hook(dataSet.BeforeClose, "BeforeClose");
  hook(dataSet.AfterClose, "AfterClose");
  hook(dataSet.BeforeScroll, "BeforeScroll");
  hook(dataSet.AfterScroll, "AfterScroll");
  hook(dataSet.BeforeEdit, "BeforeEdit");
  hook(dataSet.AfterEdit, "AfterEdit");
  hook(dataSet.BeforeInsert, "BeforeInsert");
  hook(dataSet.AfterInsert, "AfterInsert");
  hook(dataSet.OnNewRecord, "NewRecord");
  hook(dataSet.BeforePost, "BeforePost");
  hook(dataSet.AfterPost, "AfterPost");
  hook(dataSet.BeforeCancel, "BeforeCancel");
  hook(dataSet.AfterCancel, "AfterCancel");
  hook(dataSet.BeforeDelete, "BeforeDelete");
  hook(dataSet.AfterDelete, "AfterDelete");
}

// Records each notice exactly as it arrives (no default behaviour chained).
// Browse-mode checks come before every move and edit; they are recorded
// only when asked for, to keep the traces readable.
class RecordingLink : public TDataLink {
 public:
  explicit RecordingLink(Trace& trace, std::string prefix = "link") : trace_(trace), prefix_(std::move(prefix)) {}

  bool recordBrowseChecks = false;

 protected:
  void ActiveChanged() override { Add("ActiveChanged"); }
  void CheckBrowseMode() override {
    if (recordBrowseChecks) Add("CheckBrowseMode");
  }
  void DataSetChanged() override { Add("DataSetChanged"); }
  void DataSetScrolled(int distance) override { Add("DataSetScrolled(" + std::to_string(distance) + ")"); }
  bool FocusControl(TField& field) override {
    Add("FocusControl(" + field.FieldName() + ")");
    return false;
  }
  void EditingChanged() override { Add("EditingChanged"); }
  void LayoutChanged() override { Add("LayoutChanged"); }
  void RecordChanged(TField* field) override {
    Add("RecordChanged(" + (field != nullptr ? field->FieldName() : std::string()) + ")");
  }
  void UpdateData() override { Add("UpdateData"); }

 private:
  void Add(const std::string& notice) { trace_.Add(prefix_ + ":" + notice); }
  Trace& trace_;
  std::string prefix_;
};

// A single-line box as the data-entry controls behave: loads its field's
// text, accepts typing only after the link put the record into edit state,
// writes its text back when it leaves or the dataset asks.
class TestEdit {
 public:
  TestEdit(TDataSource& source, std::string fieldName, Trace* trace = nullptr, std::string name = "edit")
      : trace_(trace), name_(std::move(name)) {
    link.OnDataChange = [this] {
      text = link.Field() != nullptr ? link.Field()->DisplayText() : std::string();
      Note("load(" + text + ")");
    };
    link.OnEditingChange = [this] { Note(link.Editing() ? "editing" : "browsing"); };
    link.OnUpdateData = [this] {
      Note("write(" + text + ")");
      link.Field()->SetAsString(text);
    };
    link.OnActiveChange = [this] { Note(link.Active() ? "active" : "inactive"); };
    link.OnFocusControl = [this] {
      focused = true;
      Note("focus");
      return true;
    };
    link.SetFieldName(std::move(fieldName));
    link.SetDataSource(&source);
  }

  // A typed text: starts the edit first; refused when the record cannot be edited.
  bool Type(const std::string& typed) {
    if (!link.Edit()) return false;
    text += typed;
    link.Modified();
    return true;
  }
  void Leave() { link.UpdateRecord(); }
  void Escape() { link.Reset(); }

  TFieldDataLink link;
  std::string text;
  bool focused = false;

 private:
  void Note(const std::string& what) {
    if (trace_ != nullptr) trace_->Add(name_ + ":" + what);
  }
  Trace* trace_;
  std::string name_;
};

}  // namespace framework::testing
