// Page 1: the printer category and model, from the model entries of the
// general configuration file, and whether the printer becomes the default.
#pragma once

#include <cstdint>
#include <string>

#include "config/InstallConfig.h"
#include "ui/CDialog.h"

namespace setwell {

class CModelPage : public CDialog {
 public:
  explicit CModelPage(Platform& platform) : CDialog(IDD_MODEL), m_config(platform) {}
  bool OnInitDialog() override;
  void DoDataExchange(CDataExchange* pDX) override;
  bool OnCommand(int id, int notifyCode) override;
  void OnOK() override {}
  void OnCancel() override {}

  std::string m_modelName;  // at most 199 characters; empty when none
  InstallConfig m_config;
  std::int32_t m_category = 0;
  int m_defaultPrinter = 0;
  int m_modelsAvailable = 0;

 private:
  void ChooseCategory(std::int32_t category);
  void TakeSelectedModel(int listId);
};

}  // namespace setwell
