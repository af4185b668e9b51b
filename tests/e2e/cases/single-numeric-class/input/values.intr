Concept_num=2  Total_rulenum=2  Majority_class=0  Rule_qualityno=1
Concept=0  rulenum=1
num_of_pairs=1  and_pair_num=1  rule_accuracy=1  rule_quality=1  posnum=0  negnum=0
attrino=0  parino=0  direction=0  orflag=1
Concept=1  rulenum=1
num_of_pairs=1  and_pair_num=1  rule_accuracy=1  rule_quality=9  posnum=0  negnum=0
attrino=0  parino=1  direction=0  orflag=1
