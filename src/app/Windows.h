// Creation and removal of each window, active once its unit is part of the program.
#pragma once

#if __has_include("Unit2.h")
#include "Unit2.h"
#define TABEL_CREATE_2 Form2 = new TForm2;
#define TABEL_DELETE_2                                                                                       \
    delete Form2;                                                                                            \
    Form2 = nullptr;
#else
#define TABEL_CREATE_2
#define TABEL_DELETE_2
#endif
#if __has_include("Unit3.h")
#include "Unit3.h"
#define TABEL_CREATE_3 Form3 = new TForm3;
#define TABEL_DELETE_3                                                                                       \
    delete Form3;                                                                                            \
    Form3 = nullptr;
#else
#define TABEL_CREATE_3
#define TABEL_DELETE_3
#endif
#if __has_include("Unit4.h")
#include "Unit4.h"
#define TABEL_CREATE_4 Form4 = new TForm4;
#define TABEL_DELETE_4                                                                                       \
    delete Form4;                                                                                            \
    Form4 = nullptr;
#else
#define TABEL_CREATE_4
#define TABEL_DELETE_4
#endif
#if __has_include("Unit5.h")
#include "Unit5.h"
#define TABEL_CREATE_5 Form5 = new TForm5;
#define TABEL_DELETE_5                                                                                       \
    delete Form5;                                                                                            \
    Form5 = nullptr;
#else
#define TABEL_CREATE_5
#define TABEL_DELETE_5
#endif
#if __has_include("Unit7.h")
#include "Unit7.h"
#define TABEL_CREATE_7 Form7 = new TForm7;
#define TABEL_DELETE_7                                                                                       \
    delete Form7;                                                                                            \
    Form7 = nullptr;
#else
#define TABEL_CREATE_7
#define TABEL_DELETE_7
#endif
#if __has_include("Unit8.h")
#include "Unit8.h"
#define TABEL_CREATE_8 Form8 = new TForm8;
#define TABEL_DELETE_8                                                                                       \
    delete Form8;                                                                                            \
    Form8 = nullptr;
#else
#define TABEL_CREATE_8
#define TABEL_DELETE_8
#endif
#if __has_include("Unit9.h")
#include "Unit9.h"
#define TABEL_CREATE_9 Form9 = new TForm9;
#define TABEL_DELETE_9                                                                                       \
    delete Form9;                                                                                            \
    Form9 = nullptr;
#else
#define TABEL_CREATE_9
#define TABEL_DELETE_9
#endif
#if __has_include("Unit10.h")
#include "Unit10.h"
#define TABEL_CREATE_10 Form10 = new TForm10;
#define TABEL_DELETE_10                                                                                      \
    delete Form10;                                                                                           \
    Form10 = nullptr;
#else
#define TABEL_CREATE_10
#define TABEL_DELETE_10
#endif
#if __has_include("Unit11.h")
#include "Unit11.h"
#define TABEL_CREATE_11 Form11 = new TForm11;
#define TABEL_DELETE_11                                                                                      \
    delete Form11;                                                                                           \
    Form11 = nullptr;
#else
#define TABEL_CREATE_11
#define TABEL_DELETE_11
#endif
#if __has_include("Unit18.h")
#include "Unit18.h"
#define TABEL_CREATE_18 Form18 = new TForm18;
#define TABEL_DELETE_18                                                                                      \
    delete Form18;                                                                                           \
    Form18 = nullptr;
#else
#define TABEL_CREATE_18
#define TABEL_DELETE_18
#endif
#if __has_include("Unit19.h")
#include "Unit19.h"
#define TABEL_CREATE_19 Form19 = new TForm19;
#define TABEL_DELETE_19                                                                                      \
    delete Form19;                                                                                           \
    Form19 = nullptr;
#else
#define TABEL_CREATE_19
#define TABEL_DELETE_19
#endif
#if __has_include("Unit21.h")
#include "Unit21.h"
#define TABEL_CREATE_21 Form21 = new TForm21;
#define TABEL_DELETE_21                                                                                      \
    delete Form21;                                                                                           \
    Form21 = nullptr;
#else
#define TABEL_CREATE_21
#define TABEL_DELETE_21
#endif
#if __has_include("Unit15.h")
#include "Unit15.h"
#define TABEL_CREATE_15 Form15 = new TForm15;
#define TABEL_DELETE_15                                                                                      \
    delete Form15;                                                                                           \
    Form15 = nullptr;
#else
#define TABEL_CREATE_15
#define TABEL_DELETE_15
#endif
#if __has_include("Unit16.h")
#include "Unit16.h"
#define TABEL_CREATE_16 Form16 = new TForm16;
#define TABEL_DELETE_16                                                                                      \
    delete Form16;                                                                                           \
    Form16 = nullptr;
#else
#define TABEL_CREATE_16
#define TABEL_DELETE_16
#endif
#if __has_include("Unit17.h")
#include "Unit17.h"
#define TABEL_CREATE_17 Form17 = new TForm17;
#define TABEL_DELETE_17                                                                                      \
    delete Form17;                                                                                           \
    Form17 = nullptr;
#else
#define TABEL_CREATE_17
#define TABEL_DELETE_17
#endif
#if __has_include("Unit20.h")
#include "Unit20.h"
#define TABEL_CREATE_20 Form20 = new TForm20;
#define TABEL_DELETE_20                                                                                      \
    delete Form20;                                                                                           \
    Form20 = nullptr;
#else
#define TABEL_CREATE_20
#define TABEL_DELETE_20
#endif
#if __has_include("Unit22.h")
#include "Unit22.h"
#define TABEL_CREATE_22 Form22 = new TForm22;
#define TABEL_DELETE_22                                                                                      \
    delete Form22;                                                                                           \
    Form22 = nullptr;
#else
#define TABEL_CREATE_22
#define TABEL_DELETE_22
#endif
#if __has_include("Unit24.h")
#include "Unit24.h"
#define TABEL_CREATE_24 Form24 = new TForm24;
#define TABEL_DELETE_24                                                                                      \
    delete Form24;                                                                                           \
    Form24 = nullptr;
#else
#define TABEL_CREATE_24
#define TABEL_DELETE_24
#endif
#if __has_include("Unit25.h")
#include "Unit25.h"
#define TABEL_CREATE_25 Form25 = new TForm25;
#define TABEL_DELETE_25                                                                                      \
    delete Form25;                                                                                           \
    Form25 = nullptr;
#else
#define TABEL_CREATE_25
#define TABEL_DELETE_25
#endif
#if __has_include("Unit26.h")
#include "Unit26.h"
#define TABEL_CREATE_26 Form26 = new TForm26;
#define TABEL_DELETE_26                                                                                      \
    delete Form26;                                                                                           \
    Form26 = nullptr;
#else
#define TABEL_CREATE_26
#define TABEL_DELETE_26
#endif
#if __has_include("Unit27.h")
#include "Unit27.h"
#define TABEL_CREATE_27 Form27 = new TForm27;
#define TABEL_DELETE_27                                                                                      \
    delete Form27;                                                                                           \
    Form27 = nullptr;
#else
#define TABEL_CREATE_27
#define TABEL_DELETE_27
#endif
#if __has_include("Unit29.h")
#include "Unit29.h"
#define TABEL_CREATE_29 Form29 = new TForm29;
#define TABEL_DELETE_29                                                                                      \
    delete Form29;                                                                                           \
    Form29 = nullptr;
#else
#define TABEL_CREATE_29
#define TABEL_DELETE_29
#endif
