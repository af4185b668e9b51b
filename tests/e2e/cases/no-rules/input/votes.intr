Concept_num=2 Total_rulenum=0 Majority_class=1 Rule_qualityno=1
Concept=0 rulenum=0
Concept=1 rulenum=0
