Concept_num=3  Total_rulenum=3  Majority_class=2  Rule_qualityno=2
Concept=0  rulenum=1
num_of_pairs=1  and_pair_num=1  rule_accuracy=1.0  rule_quality=0.75  posnum=2  negnum=0
attrino=0  parino=1  direction=0  orflag=1
Concept=1  rulenum=1
num_of_pairs=1  and_pair_num=1  rule_accuracy=1.0  rule_quality=0.5  posnum=1  negnum=0
attrino=1  parino=0  direction=0  orflag=1
Concept=2  rulenum=1
num_of_pairs=1  and_pair_num=1  rule_accuracy=1.0  rule_quality=0.5  posnum=1  negnum=0
attrino=0  parino=2  direction=1  orflag=1
