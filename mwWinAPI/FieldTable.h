#pragma once
// Dialog fields bound to a model by one table per dialog: each row names a
// control and says both how it shows its part of the model and how the
// control's text goes back, so that no field is written in one place and
// read in another. ShowFields and TakeFields run a whole table (a dialog's
// opening and OK); FindField gives one row for a field that is taken as it
// loses the keyboard.
#include <windows.h>

#include <cstddef>
#include <string>

#include "mwWinAPI/Fields.h"

namespace mwWinAPI {

template <class Model>
struct FieldBinding {
  int id;
  // Shows the model's value in control `id`; throws what SetItemText throws.
  void (*show)(HWND dialog, int id, const Model& model);
  // Takes control `id`'s text into `model`; throws an mwstd exception whose
  // text tells the user why the value was refused.
  void (*take)(HWND dialog, int id, Model& model);
};

template <class Model, std::size_t N>
void ShowFields(HWND dialog, const FieldBinding<Model> (&table)[N], const Model& model) {
  for (const FieldBinding<Model>& field : table) field.show(dialog, field.id, model);
}

template <class Model, std::size_t N>
void TakeFields(HWND dialog, const FieldBinding<Model> (&table)[N], Model& model) {
  for (const FieldBinding<Model>& field : table) field.take(dialog, field.id, model);
}

// The row of control `id`; null when the table has none.
template <class Model, std::size_t N>
const FieldBinding<Model>* FindField(const FieldBinding<Model> (&table)[N], int id) {
  for (const FieldBinding<Model>& field : table)
    if (field.id == id) return &field;
  return nullptr;
}

namespace detail {
template <auto Member>
struct MemberOf;
template <class Class, class Type, Type Class::*Member>
struct MemberOf<Member> {
  using Model = Class;
};
}  // namespace detail

// A text member, shown and taken as it is.
template <auto Member, class Model = typename detail::MemberOf<Member>::Model>
constexpr FieldBinding<Model> TextField(int id) {
  return {id,
          [](HWND dialog, int control, const Model& model) { SetItemText(dialog, control, model.*Member); },
          [](HWND dialog, int control, Model& model) { model.*Member = GetItemText(dialog, control); }};
}

}  // namespace mwWinAPI
