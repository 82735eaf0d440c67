// The opening rules' commands: Gomocup's SWAP2BOARD, and Yixin-Board's Swap2
// and Soosorv-8 steps with their MESSAGE SWAP2 and MESSAGE SOOSORV replies.
// The decisions are opening's; these handlers read the stones, set up the
// position and write the answers as each program reads them.
#pragma once

// Command handlers, each given the text after its command word.
void HandleSwap2Board(const char* argument);
void HandleYxSwap2Step1(const char* argument);
void HandleYxSwap2Step2(const char* argument);
void HandleYxSwap2Step3(const char* argument);
void HandleYxSoosorvStep1(const char* argument);
void HandleYxSoosorvStep2(const char* argument);
void HandleYxSoosorvStep3(const char* argument);
void HandleYxSoosorvStep4(const char* argument);
void HandleYxSoosorvStep5(const char* argument);
void HandleYxSoosorvStep6(const char* argument);
