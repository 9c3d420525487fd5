// TCompReplaceExpert: the wizard's face in the host. It owns the menu item
// "&Migration Wizard" under the product's top-level menu; each click runs one
// use of the wizard: the dialog, then at most one replace (with the chosen
// migration profile) or one restore, then the settings.
//
// Around a replace of the project open in the host it asks (unless switched
// off), saves the project, brings the units' code editors to the front and
// afterwards reloads the changed units; around a restore it asks, closes the
// project and afterwards reopens it. Outcomes are reported in message boxes
// captioned with the options' Title. Every modal dialog goes through
// Dialogs() (wizard/Dialogs.h).
//
// Lifetime: created with Create (which also inserts the menu item) and held
// by the host through a shared_ptr; the menu item holds only a weak
// reference, so a click after the host released the expert does nothing.
// The replacers are borrowed and must outlive the expert.
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "ide/ToolsAPI.h"
#include "replace/Replacer.h"
#include "rtl/Menus.h"
#include "wizard/Wizard.h"

namespace mirel {

/// Makes the dialog a use of the wizard shows, owned by the caller; owner is
/// its parent window (may be null).
using TWizardFormClass = std::function<std::unique_ptr<TWizardForm>(QWidget* owner)>;

class TCompReplaceExpert : public IOTAWizard,
                           public std::enable_shared_from_this<TCompReplaceExpert> {
 public:
  /// Builds the expert with its first replacer and puts its item under the
  /// product menu described by menu (TIDEUtils::AddMenuItem; throws as that
  /// does when the host has no menu services).
  static std::shared_ptr<TCompReplaceExpert> Create(TWizardFormClass formClass, String caption,
                                                    const TProductMenu& menu,
                                                    TComponentReplacer& firstReplacer);
  ~TCompReplaceExpert() override;

  // IOTANotifier: nothing to do.
  void AfterSave() override {}
  void BeforeSave() override {}
  void Destroyed() override {}
  void Modified() override {}
  // IOTAWizard
  /// "Orvane." + options name + "MigrationWizard." + caption without '&'.
  String GetIDString() override;
  /// The options' Title.
  String GetName() override;
  /// Neither enabled nor checked: the wizard runs from its menu item only.
  TWizardState GetState() override { return 0; }
  void Execute() override {}

  void AddReplacer(TComponentReplacer& replacer);
  /// Replacer index (0..count-1); EAssertionFailed outside.
  TComponentReplacer& GetReplacer(int index) const;
  /// Replacer 0; EAssertionFailed when there is none.
  TComponentReplacer& FirstReplacer() const;

  /// One use of the wizard. Exceptions pass to the caller (the host's
  /// handler) after the dialog is freed; settings are then not saved.
  void MenuItemClick();
  /// Runs replacer's conversion (see the class comment).
  void ReplaceComponents(TComponentReplacer& replacer);
  /// Plays back undoFileName (see the class comment). Files the restore left
  /// alone (changed since the run, or not put back) are named in the
  /// message. The project is reopened also when the restore throws.
  void RestoreFiles(const String& undoFileName);
  /// Brings the code editor of every unit with a form in the current project
  /// to the front, which hides the form designer.
  void HideProjectForms();
  void LoadWizardSettings(TWizardForm& form);
  void SaveWizardSettings(TWizardForm& form);

  const String& Caption() const { return caption_; }
  /// "RExpertItem" + options name ('/' -> '_') + caption without '&'.
  String MenuItemName() const;
  /// The options' Title: message captions and the settings section.
  String Title() const;

 private:
  TCompReplaceExpert(TWizardFormClass formClass, String caption, TComponentReplacer& firstReplacer);
  void Inform(QStringView text) const;
  void Fail(QStringView text) const;

  String caption_;
  TWizardFormClass form_class_;
  std::vector<TComponentReplacer*> replacers_;  // borrowed
};

/// The expert the entry point created; a plain reference (the host holds
/// the counted one). Null before the entry point ran.
extern TCompReplaceExpert* ExpertInstance;

}  // namespace mirel
