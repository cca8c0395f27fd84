sonara_test(class_tests LABELS class SOURCES class/ClassTest.cpp class/LifecycleTest.cpp)
