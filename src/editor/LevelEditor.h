// The level editor: the choice or creation of a level pack, the editor bar
// with its page and tool buttons, painting the cells with the mouse, the
// level options, the confirmations, going to a level, and the test play of
// the level being edited. The game object owns one; the editor's forms come
// from the layout file and their buttons are bound when the editor opens.
//
// The board holds the level; the editor's options form holds its options
// (LevelOptionsForm.h). Painting reaches the editor from the tiles' collision
// with the cursor (PaintAt).
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "board/LevelOptionsForm.h"
#include "editor/ToolTips.h"

class TEditorHost;
class TBoard;
class TBoardTab;
class TJsonWriter;

class TLevelEditor {
 public:
  explicit TLevelEditor(TEditorHost& game);

  // The options' level-editor button: the main menu is gone; the pack
  // choice opens.
  void Enter();
  // Once per frame before the frame's collision pass: notes whether the
  // left button's press belongs to a form, lets a click tool act again after
  // a release, and brings the cursor sprite to the pointer.
  void FrameStart();
  // The cursor meets a cell while the editor is on screen: paints it with
  // the current tool when the left button is down and no dialog is open.
  void PaintAt(TBoardTab& cell);
  // Escape: in the editor the question whether to leave it, during test play
  // the way back without recording the result.
  void EscapeKey();
  // The level before this one (the "-" key too).
  void PriorLevel();
  // The tip of the bar's button under the cursor, drawn over the forms; ""
  // when none shows.
  void DrawToolTip();
  const std::string& ToolTip() const { return Tips_.Shown(); }
  // The editor's part of the state dump.
  void Dump(TJsonWriter& j) const;

  // The button handlers, by control (public for the tests).
  void NewPack();           // "btnNew"
  void OpenSelectedPack();  // "btnLoad"
  void NextLevel();         // "gpNext"
  void AppendLevel();       // "gpInsert"
  void Save();              // "gpSave"
  void Cancel();            // "gpCancel"
  void CleanClicked();      // "gpClean"
  void FillClicked();       // "gpFill"
  void OpenOptions();       // "gpOptions"
  void ApplyOptions();      // "loOk"
  void CancelOptions();     // "loCancel", Escape: closes the options unchanged
  void StepBackground(int delta);  // "btnBackUp" +1, "btnBackDown" -1
  void OpenGotoLevel();     // "btLevel"
  void GotoOk();            // "gotoOk"
  void GotoCancel();        // "gotoCancel"
  void StartTest();         // "btnTestar"
  void EndTest();           // "ltOk", "btGiveUp"
  void SelectTool(uint8_t tool);  // the tool buttons
  void ExitClicked();       // "gpExit", "QuitYes": asks to save a changed level first
  void ExitEditor();        // "btnExitLevelEditor", and after the save question
  void QuitNo();            // "QuitNo"

  // A level is open for editing: the bar (not the pack choice) is up.
  bool InLevel() const { return InLevel_; }
  // The last message the editor gave the player.
  const std::string& LastMessage() const { return LastMessage_; }
  // The pack names behind the lines of "LevelList".
  const std::vector<std::string>& PackNames() const { return PackNames_; }

 private:
  TBoard& Board();
  void Bind();
  void ShowPackChoice();
  // Opens the pack at level 1 and shows the bar; false (with a message) when
  // the pack cannot be opened.
  bool OpenPackForEditing(const std::string& name);
  // LoadLevel, then the bar and the piece tools follow; false after a message.
  bool LoadCurrent();
  void RefreshBar();
  void EnablePieceTools();
  void ShowBar(bool visible);
  void Tell(const std::string& message);
  // The confirmation form with the message; each answer closes it first.
  void Ask(const std::string& message, std::function<void()> yes, std::function<void()> no);
  void CloseQuestion();
  // Clean and fill behind the confirmation.
  void CleanOrFill(bool fill);
  void AskCleanOrFill(bool fill);
  void CloseConfirm();
  // Leaving a changed level asks first whether to save it; `go` then moves
  // on (after saving, or after the changes were dropped).
  void LeaveLevel(std::function<void()> go);
  // Back from test play to the editor: the bar, the player as before.
  void BackFromTest();
  // The "-" key during test play: the test goes on with the level before.
  void PriorLevelInTest();

  struct TPlayerStake {
    int32_t Score = 0, Lives = 0, NextLifeScore = 0;
    int32_t LevelStartScore = 0, LevelStartLives = 0, LevelStartNextLife = 0;
    int32_t ManaFire = 0, ManaWater = 0, ManaMountain = 0, ManaTree = 0;
  };

  TEditorHost& Game;
  TLevelOptionsForm Form_;
  std::vector<std::string> PackNames_;
  bool InLevel_ = false;
  std::string LastMessage_;
  // The press of the left button: taken by a form's control, and a click
  // tool has acted on it already.
  bool GuiPress_ = false;
  bool Held_ = false;  // the left button is down, as the frame began
  bool ClickSpent_ = false;
  int GuiPressesSeen_ = 0;
  // The open question's answers, and whether the quit question covers the
  // pack choice (which keeps its dialog flag on "Stay").
  std::function<void()> OnYes_, OnNo_;
  bool QuitOverDialog_ = false;
  // The background when the options opened, for their cancel.
  int32_t BackgroundAtOpen_ = 1;
  TPlayerStake Stake_;
  TToolTips Tips_;
};
